#include "TiffReader.h"

#include <cstring>
#include <string>

#include "BlockReader.h"
#include "FileHandle.h"
#include "OffsetSet.h"
#include "TiffError.h"

namespace plexifold::imaging {
namespace {

// The entry count of the directory at `offset` when its count and entries lie inside the
// file and it has between 1 and the allowed number of entries. Its link may be cut off.
std::optional<std::uint64_t> entryCount(BlockReader& reader, const TiffHeader& header,
                                        std::uint64_t offset) {
    const DirectoryShape shape = DirectoryShape::of(header.bigTiff);
    const std::uint64_t fileSize = reader.fileSize();
    std::uint8_t bytes[8];
    if (offset < shape.headerSize() || !reader.read(offset, bytes, shape.countSize))
        return std::nullopt;
    const std::uint64_t count = header.order.get(bytes, shape.countSize);
    if (count == 0 || count > TiffLimits::MaxEntriesPerDirectory)
        return std::nullopt;
    const std::uint64_t size = shape.countSize + count * shape.entrySize;
    if (size > fileSize || offset > fileSize - size)
        return std::nullopt;
    return count;
}

// The next-directory link after `count` entries; 0 when the file ends before it, as
// readers take it.
std::uint64_t linkAfter(BlockReader& reader, const TiffHeader& header, std::uint64_t offset,
                        std::uint64_t count) {
    const DirectoryShape shape = DirectoryShape::of(header.bigTiff);
    std::uint8_t link[8];
    if (!reader.read(offset + shape.countSize + count * shape.entrySize, link, shape.offsetSize))
        return 0;
    return header.order.get(link, shape.offsetSize);
}

TiffEntry parseEntry(const std::uint8_t* bytes, const TiffHeader& header) {
    const DirectoryShape shape = DirectoryShape::of(header.bigTiff);
    TiffEntry entry;
    entry.tag = static_cast<std::uint16_t>(header.order.get(bytes, 2));
    entry.type = static_cast<std::uint16_t>(header.order.get(bytes + 2, 2));
    entry.count = header.order.get(bytes + 4, shape.offsetSize);
    std::memcpy(entry.field.data(), bytes + 4 + shape.offsetSize, shape.offsetSize);
    return entry;
}

} // namespace

TiffHeader readHeader(const files::FileHandle& file, std::uint64_t fileSize) {
    if (fileSize == 0)
        throw TiffError("the file is empty");
    std::uint8_t bytes[16] = {};
    const bool whole = file.readAt(0, bytes, fileSize < 16 ? fileSize : 16);
    const bool little = bytes[0] == 'I' && bytes[1] == 'I';
    const bool big = bytes[0] == 'M' && bytes[1] == 'M';
    TiffHeader header{ByteOrder(big), false, 0};
    const std::uint64_t magic = header.order.get(bytes + 2, 2);
    if (!whole || fileSize < 4 || !(little || big) || (magic != 42 && magic != 43))
        throw TiffError("not a TIFF file");
    header.bigTiff = magic == 43;
    if (fileSize < (header.bigTiff ? 16u : 8u))
        throw TiffError("the file is cut short: its TIFF header is incomplete");
    if (header.bigTiff) {
        if (header.order.get(bytes + 4, 2) != 8 || header.order.get(bytes + 6, 2) != 0)
            throw TiffError("not a TIFF file (a BigTIFF header of an unknown kind)");
        header.firstDirectory = header.order.get(bytes + 8, 8);
    } else {
        header.firstDirectory = header.order.get(bytes + 4, 4);
    }
    return header;
}

std::vector<std::uint64_t> readPageChain(BlockReader& reader, const TiffHeader& header) {
    std::vector<std::uint64_t> pages;
    OffsetSet seen;
    std::uint64_t offset = header.firstDirectory;
    while (offset != 0 && !seen.contains(offset)) {
        const auto count = entryCount(reader, header, offset);
        if (!count)
            break;
        // Checked before the set grows: it never holds more than MaxPages offsets.
        if (pages.size() == TiffLimits::MaxPages)
            throw TiffError("the file has more than " + std::to_string(TiffLimits::MaxPages) +
                            " pages");
        seen.insert(offset);
        pages.push_back(offset);
        offset = linkAfter(reader, header, offset, *count);
    }
    return pages;
}

std::optional<TiffDirectory> readDirectory(BlockReader& reader, const TiffHeader& header,
                                           std::uint64_t offset) {
    const auto count = entryCount(reader, header, offset);
    if (!count)
        return std::nullopt;
    const DirectoryShape shape = DirectoryShape::of(header.bigTiff);
    std::vector<std::uint8_t> bytes(*count * shape.entrySize);
    if (!reader.read(offset + shape.countSize, bytes.data(), bytes.size()))
        return std::nullopt;
    TiffDirectory directory;
    directory.entries.reserve(*count);
    for (std::uint64_t i = 0; i < *count; ++i)
        directory.entries.push_back(parseEntry(bytes.data() + i * shape.entrySize, header));
    directory.next = linkAfter(reader, header, offset, *count);
    return directory;
}

} // namespace plexifold::imaging
