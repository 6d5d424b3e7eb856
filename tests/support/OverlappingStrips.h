#pragma once

#include <cstdint>
#include <vector>

namespace plexifold::test {

// A file whose strips overlap at will, as in damaged fax files: one row a strip, every
// strip a row long, at pseudo-random offsets inside one window of bytes that all pages
// share.
struct OverlapSpec {
    std::uint32_t width = 4963;
    std::uint32_t rowsPerStrip = 1;
    std::uint32_t strips = 3609;
    bool bilevelFax = true; // CCITT G4 bilevel; else uncompressed 8-bit grey
    std::uint64_t window = 65536;
    int pages = 1;
    std::uint32_t seed = 1;
};

/// The bytes of such a file; the strips of every page lie in one window.
std::vector<std::uint8_t> overlappingStripsFile(const OverlapSpec& spec);

} // namespace plexifold::test
