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

std::string utf8Of(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back(); // the terminating NUL
    return utf8;
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

// Arguments come as UTF-16 and go on as UTF-8, never through the ANSI code page.
int wmain(int argc, wchar_t** argv) {
    plexifold::cli::prepareConsole();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(plexifold::cli::utf8Of(argv[i]));
    return plexifold::cli::runSplit(arguments);
}
