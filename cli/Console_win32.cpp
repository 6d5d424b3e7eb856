#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "Console.h"

namespace plexifold::cli {
namespace {

std::atomic<bool>* g_stop = nullptr;
std::atomic<DWORD> g_event{CTRL_C_EVENT};

BOOL WINAPI requestStop(DWORD event) {
    if (!g_stop ||
        (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT))
        return FALSE;
    if (!g_stop->exchange(true))
        g_event = event;
    return TRUE;
}

HANDLE consoleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// UTF-8 output, the escape sequences that redraw the progress line, and lists read as bytes.
void prepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdin), _O_BINARY);
    const HANDLE out = consoleOf(stdout);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode))
        SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

} // namespace

bool isTerminal(std::FILE* stream) {
    DWORD mode = 0;
    return GetConsoleMode(consoleOf(stream), &mode) != 0;
}

void installStopHandler(std::atomic<bool>& stop) {
    g_stop = &stop;
    SetConsoleCtrlHandler(requestStop, TRUE);
}

int stopExitStatus() {
    return g_event == CTRL_C_EVENT ? 130 : 143;
}

void useBinaryOutput() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace plexifold::cli

// Arguments come as UTF-16 and stay so, never through the ANSI code page.
int wmain(int argc, wchar_t** argv) {
    plexifold::cli::prepareConsole();
    return plexifold::cli::runSplit(std::vector<std::filesystem::path>(argv + 1, argv + argc));
}
