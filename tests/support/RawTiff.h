#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Builds TIFF files byte by byte, for the malformed and oversized files that a
// well-behaved writer such as libtiff refuses to make.
namespace plexifold::test {

enum RawType : std::uint16_t {
    kByte = 1,
    kAscii = 2,
    kShort = 3,
    kLong = 4,
    kRational = 5,
    kUndefined = 7,
    kLong8 = 16,
    kIfd8 = 18,
};

// One directory entry. Its values come from `value(i)` for i < count; or, when
// `rawField` is set, the value field holds that number as it stands (an offset
// that may point anywhere) and nothing else is written.
struct RawEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = kLong;
    std::uint64_t count = 0;
    std::function<std::uint64_t(std::uint64_t)> value;
    bool rawField = false;
    std::uint64_t field = 0;

    static RawEntry of(std::uint16_t tag, std::uint16_t type, std::vector<std::uint64_t> values);
    static RawEntry generated(std::uint16_t tag, std::uint16_t type, std::uint64_t count,
                              std::function<std::uint64_t(std::uint64_t)> value);
    static RawEntry pointing(std::uint16_t tag, std::uint16_t type, std::uint64_t count,
                             std::uint64_t field);
};

class RawTiff {
public:
    explicit RawTiff(bool bigTiff = false, bool bigEndian = false);

    /// Bytes of one element of `type`; 1 for codes TIFF does not define.
    static unsigned typeSize(std::uint16_t type);

    /// Appends `bytes` at the end (on an even offset) and returns where they start.
    std::uint64_t append(const std::vector<std::uint8_t>& bytes);

    /// Appends a directory with its out-of-line values after it and returns its
    /// offset. Entries are written in the order given; the next offset is 0.
    std::uint64_t appendIfd(const std::vector<RawEntry>& entries);

    /// Points the header at the first directory.
    void setFirstIfd(std::uint64_t offset);
    /// Sets the next offset of the directory at `ifd`.
    void setNextIfd(std::uint64_t ifd, std::uint64_t next);

    /// Writes `value` as an unsigned number of `width` bytes at `offset`.
    void put(std::uint64_t offset, std::uint64_t value, unsigned width);

    std::uint64_t size() const { return m_bytes.size(); }
    std::vector<std::uint8_t>& bytes() { return m_bytes; }
    bool bigTiff() const { return m_bigTiff; }

    void save(const std::string& path) const;

private:
    unsigned offsetSize() const { return m_bigTiff ? 8 : 4; }
    unsigned entrySize() const { return m_bigTiff ? 20 : 12; }
    void writeValues(std::uint64_t offset, const RawEntry& entry);

    bool m_bigTiff;
    bool m_bigEndian;
    std::vector<std::uint8_t> m_bytes;
};

/// The entries of a plain uncompressed 8-bit greyscale page of `strips` strips whose
/// data lie at offsets `offset(i)` with `length(i)` bytes each.
std::vector<RawEntry> stripPageEntries(std::uint32_t width, std::uint32_t height,
                                       std::uint32_t rowsPerStrip, std::uint64_t strips,
                                       std::function<std::uint64_t(std::uint64_t)> offset,
                                       std::function<std::uint64_t(std::uint64_t)> length);

/// A file of `pages` small valid pages whose directories are chained in order;
/// returns the directory offsets. Every page shows the same 16 bytes of pixels.
std::vector<std::uint64_t> appendPageChain(RawTiff& tiff, std::uint64_t pages);

} // namespace plexifold::test
