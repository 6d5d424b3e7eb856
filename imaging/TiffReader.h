#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ByteOrder.h"
#include "TiffTypes.h"

// Reading the structure of a TIFF or BigTIFF file: its header, its chain of pages and
// the entries of a directory. Every count and offset is checked against the file size.
namespace plexifold::files {
class FileHandle;
}

namespace plexifold::imaging {

class BlockReader;

struct TiffHeader {
    ByteOrder order;
    bool bigTiff = false;
    std::uint64_t firstDirectory = 0;
};

// The sizes of a directory's parts: entry count, one entry, an offset (the next-directory
// link and a value field).
struct DirectoryShape {
    unsigned countSize;
    unsigned entrySize;
    unsigned offsetSize;

    static DirectoryShape of(bool bigTiff) {
        return bigTiff ? DirectoryShape{8, 20, 8} : DirectoryShape{2, 12, 4};
    }
    unsigned headerSize() const { return offsetSize * 2; }
};

struct TiffDirectory {
    std::vector<TiffEntry> entries; // as stored, in file order
    std::uint64_t next = 0;         // the next directory of the chain; 0 at its end
};

/// Reads the file header. Throws TiffError: "the file is empty", "not a TIFF file", ...
TiffHeader readHeader(const files::FileHandle& file, std::uint64_t fileSize);

/// The offsets of the directories of the top-level chain, the pages. The chain ends at
/// a zero link, at the first directory seen before, or at a directory that cannot be read
/// (past the end of the file, no entries, too many entries); a directory whose link the
/// end of the file cuts off is the last. Throws TiffError when the chain holds more pages
/// than TiffLimits::MaxPages.
std::vector<std::uint64_t> readPageChain(BlockReader& reader, const TiffHeader& header);

/// The directory at `offset`, or nothing when it cannot be read.
std::optional<TiffDirectory> readDirectory(BlockReader& reader, const TiffHeader& header,
                                           std::uint64_t offset);

} // namespace plexifold::imaging
