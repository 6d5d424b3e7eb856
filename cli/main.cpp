#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("plexifold-split %s\n", PLEXIFOLD_VERSION);
        return 0;
    }
    std::printf("Usage: plexifold-split [options] PATH...\n");
    return argc > 1 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
}
