#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Malformed and hostile TIFF files, made byte by byte, each with what splitting
// it must give.
namespace plexifold::test {

enum class Verdict {
    Refused, // the file is not loaded: no page is written
    FailsAt, // page `page` (to `lastFailing`) fails, every other page is written
    Splits,  // every page the chain reaches is written (bombs, loops, a cut chain)
};

struct HostileFile {
    std::string name;
    std::function<std::vector<std::uint8_t>()> bytes;
    Verdict verdict;
    int page = 0;                // FailsAt: the failing page; Splits: the pages written (from 1)
    int pageCount = 0;           // pages the splitter sees, which sets the page file names
    int lastFailing = 0;         // FailsAt: the last failing page, when more than one fails
    std::size_t stripBytes = 16; // each good page's first strip is pagePixels(page, stripBytes)
};

/// Names the file in test output.
inline void PrintTo(const HostileFile& file, std::ostream* out) {
    *out << file.name;
}

/// Every hostile file of the suite.
std::vector<HostileFile> hostileFiles();

} // namespace plexifold::test
