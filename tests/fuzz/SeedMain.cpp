// Writes the fuzz targets' seed corpus into the folder given.
#include <cstdio>
#include <exception>

#include "SeedCorpus.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    try {
        const auto written = plexifold::fuzz::writeSeedCorpus(argv[1]);
        std::printf("%zu seeds in %s\n", written.size(), argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fuzz_seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}
