// Writes the benchmark corpus into a folder: make_corpus FOLDER [ITEM...].
// Items already there with the size recorded when they were made are kept.
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <tiffio.h>
#include <vector>

#include "CorpusItems.h"

namespace fs = std::filesystem;
using plexifold::bench::CorpusItem;

namespace {

// Raise when the pages made change, so that older corpora are made again.
constexpr int corpusVersion = 1;

struct Extent {
    int files = 0;
    std::uintmax_t bytes = 0;
};

Extent extentOf(const fs::path& path) {
    Extent extent;
    if (fs::is_regular_file(path))
        return {1, fs::file_size(path)};
    if (fs::is_directory(path))
        for (const auto& entry : fs::directory_iterator(path)) {
            ++extent.files;
            extent.bytes += entry.is_regular_file() ? entry.file_size() : 0;
        }
    return extent;
}

std::string stampText(const Extent& extent) {
    return "corpus " + std::to_string(corpusVersion) + " files " + std::to_string(extent.files) +
           " bytes " + std::to_string(extent.bytes);
}

fs::path stampPath(const fs::path& folder, const CorpusItem& item) {
    return folder / ("." + item.name + ".made");
}

bool isCurrent(const fs::path& folder, const CorpusItem& item) {
    std::ifstream in(stampPath(folder, item));
    std::string stamp;
    std::getline(in, stamp);
    const Extent extent = extentOf(folder / item.name);
    return !stamp.empty() && extent.files == item.files && stamp == stampText(extent);
}

// Writes under a temporary name first, so that a run cut short leaves nothing
// that looks finished.
void make(const fs::path& folder, const CorpusItem& item) {
    const fs::path target = folder / item.name;
    const fs::path part = folder / (item.name + ".part");
    fs::remove_all(part);
    fs::remove(stampPath(folder, item));
    item.write(part);
    fs::remove_all(target);
    fs::rename(part, target);
    std::ofstream(stampPath(folder, item)) << stampText(extentOf(target)) << '\n';
}

bool isWanted(const CorpusItem& item, const std::vector<std::string>& wanted) {
    if (wanted.empty())
        return true;
    const std::string stem = item.name.substr(0, item.name.find('.'));
    for (const auto& name : wanted)
        if (name == item.name || name == stem)
            return true;
    return false;
}

void makeCorpus(const fs::path& folder, const std::vector<std::string>& wanted) {
    fs::create_directories(folder);
    for (const CorpusItem& item : plexifold::bench::corpusItems()) {
        if (!isWanted(item, wanted))
            continue;
        const auto start = std::chrono::steady_clock::now();
        const bool kept = isCurrent(folder, item);
        if (!kept)
            make(folder, item);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        const Extent extent = extentOf(folder / item.name);
        std::printf("%-10s %s  %4d file(s) x %3d pages  %8.1f MiB  %6.1f s\n", item.name.c_str(),
                    kept ? "kept" : "made", item.files, item.pagesPerFile,
                    static_cast<double>(extent.bytes) / (1024.0 * 1024.0), took.count());
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: make_corpus FOLDER [fax|scan|lzw|tiled|many]...\n");
        return 2;
    }
    TIFFSetWarningHandler(nullptr);
    try {
        makeCorpus(argv[1], std::vector<std::string>(argv + 2, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_corpus: %s\n", error.what());
        return 1;
    }
    return 0;
}
