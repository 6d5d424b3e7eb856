#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Malformed and hostile TIFF files, made byte by byte, each with what loading and
// splitting it must give. The document's suite and the command line's both run them.
namespace plexifold::test {

struct HostileFile {
    std::string name;
    std::function<std::vector<std::uint8_t>()> bytes;
    int pages = 0; // pages the chain gives, which set the page file names; 0: the file is refused
    // Part of LoadFile's reason, of the first failing page's reason (after its page number),
    // or of the one warning of a file whose pages are all written ("": no warning; failing
    // pages: any reason).
    std::string reason;
    int failing = 0;             // the first failing page (from 1); 0: every page is written
    int lastFailing = 0;         // the last failing page, when more than one fails
    std::size_t stripBytes = 0;  // a page chain: page N's first strip is pagePixels(N, stripBytes)
    bool libtiffRefuses = false; // libtiff opens no page of the file either

    bool refused() const { return pages == 0; }
    bool fails(int page) const {
        return failing > 0 && page >= failing && page <= std::max(failing, lastFailing);
    }
};

/// Names the file in test output.
inline void PrintTo(const HostileFile& file, std::ostream* out) {
    *out << file.name;
}

/// Every hostile file of the suite.
std::vector<HostileFile> hostileFiles();

/// The files whose damage lies inside one page's entries (strips, values, JPEG streams,
/// EXIF and GPS directories).
std::vector<HostileFile> damagedPages();

} // namespace plexifold::test
