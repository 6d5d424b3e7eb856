#include <io.h>
#include <windows.h>

#include "Console.h"
#include "PathText.h"

namespace plexifold::cli {
namespace {

std::atomic<bool>* g_stop = nullptr;

BOOL WINAPI requestStop(DWORD event) {
    if (!g_stop ||
        (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT))
        return FALSE;
    g_stop->store(true);
    return TRUE;
}

HANDLE consoleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// UTF-8 output, and the escape sequences that redraw the progress line.
void prepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
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

} // namespace plexifold::cli

// Arguments come as UTF-16 and go on as UTF-8, never through the ANSI code page.
int wmain(int argc, wchar_t** argv) {
    plexifold::cli::prepareConsole();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(
            plexifold::files::Utf8FromUtf16(reinterpret_cast<const char16_t*>(argv[i])));
    return plexifold::cli::runSplit(arguments);
}
