// Starts a page file at the path given, writes to it and waits to be killed.
#include <cstdio>
#include <span>
#include <windows.h>

#include "AtomicFile.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    plexifold::files::AtomicFile page(argv[1]);
    static const std::uint8_t bytes[65536] = {1};
    const std::span<const std::uint8_t> parts[] = {bytes};
    page.file().writeAt(0, parts);
    std::puts("writing");
    std::fflush(stdout);
    ::Sleep(INFINITE);
    return 0;
}
