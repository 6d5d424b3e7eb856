#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// What the command line needs of its operating system, one file per system
// (Console_posix.cpp, Console_win32.cpp). Each also holds the program's entry
// point, which hands the arguments over in the system's own form and prints UTF-8.
namespace plexifold::cli {

/// The program's body; `arguments` are those after the program's name.
int runSplit(const std::vector<std::filesystem::path>& arguments);

/// Whether `stream` writes to a terminal that can redraw a line.
bool isTerminal(std::FILE* stream);

/// Sets `stop` when the user interrupts the program (Ctrl-C) or it is asked to end (SIGTERM).
void installStopHandler(std::atomic<bool>& stop);

/// The exit status for the stop that came: 130 for an interrupt, 143 for a request to end.
int stopExitStatus();

/// Makes standard output carry bytes as they are (no "\r\n" for "\n" on Windows).
void useBinaryOutput();

} // namespace plexifold::cli
