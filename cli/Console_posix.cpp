#include <csignal>
#include <unistd.h>

#include "Console.h"

namespace plexifold::cli {
namespace {

std::atomic<bool>* g_stop = nullptr;
volatile std::sig_atomic_t g_signal = 0;

extern "C" void requestStop(int signal) {
    if (g_signal == 0)
        g_signal = signal;
    if (g_stop)
        g_stop->store(true);
}

} // namespace

bool isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

void installStopHandler(std::atomic<bool>& stop) {
    g_stop = &stop;
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stopExitStatus() {
    return 128 + (g_signal == SIGTERM ? SIGTERM : SIGINT);
}

void useBinaryOutput() {}

} // namespace plexifold::cli

// Arguments and file names are bytes here, passed on unchanged.
int main(int argc, char** argv) {
    return plexifold::cli::runSplit(std::vector<std::filesystem::path>(argv + 1, argv + argc));
}
