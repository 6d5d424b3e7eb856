#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plexifold::test {

// Builds TIFF files byte by byte, for structures libtiff will not write: old-style JPEG,
// damaged and hostile files. Also lists the directory entries of a file, to check what
// libtiff does not show (entry order, types, dropped entries).
class RawTiff {
public:
    struct Entry {
        std::uint16_t tag = 0;
        std::uint16_t type = 0;
        std::uint64_t count = 0;
        std::vector<std::uint8_t> value; // as stored; placed out of line when it does not fit
    };

    explicit RawTiff(bool bigTiff = false, bool bigEndian = false);

    /// Entries whose values are encoded in this file's byte order.
    Entry shorts(std::uint16_t tag, const std::vector<std::uint64_t>& values) const;
    Entry longs(std::uint16_t tag, const std::vector<std::uint64_t>& values) const;
    Entry long8s(std::uint16_t tag, const std::vector<std::uint64_t>& values) const;
    Entry numbers(std::uint16_t tag, std::uint16_t type,
                  const std::vector<std::uint64_t>& values) const;
    static Entry ascii(std::uint16_t tag, const std::string& text);
    static Entry bytes(std::uint16_t tag, std::uint16_t type, std::vector<std::uint8_t> value);

    /// The entries of an uncompressed 8-bit grey page, `width` pixels wide and
    /// `rowsPerStrip` rows a strip, whose strips lie at `offsets` and hold `counts` bytes.
    std::vector<Entry> greyPage(std::uint32_t width, std::uint32_t rowsPerStrip,
                                const std::vector<std::uint64_t>& offsets,
                                const std::vector<std::uint64_t>& counts) const;

    /// Appends raw bytes (word-aligned) and returns their offset.
    std::uint64_t append(const std::vector<std::uint8_t>& bytes);

    /// Appends a directory holding `entries` in the order given, with their out-of-line
    /// values before it, and returns its offset.
    std::uint64_t addDirectory(const std::vector<Entry>& entries, std::uint64_t next = 0);

    void setFirstDirectory(std::uint64_t offset);

    /// Sets the next-directory link of a directory added before.
    void setNext(std::uint64_t directory, std::uint64_t next);

    /// Overwrites `width` bytes at `offset` with `value` in the file's byte order.
    void patch(std::uint64_t offset, std::uint64_t value, unsigned width);

    /// Where the value field of entry `index` of a directory added before lies.
    std::uint64_t fieldOffset(std::uint64_t directory, std::size_t index) const;

    const std::vector<std::uint8_t>& data() const { return m_bytes; }

    /// A directory of a file read back: its entries, values resolved.
    struct Directory {
        std::vector<Entry> entries;
        std::uint64_t next = 0;
        const Entry* find(std::uint16_t tag) const;
    };
    struct Header {
        bool bigTiff = false;
        bool bigEndian = false;
        std::uint64_t first = 0;
    };

    /// Reads the header of a file.
    static Header readHeader(const std::vector<std::uint8_t>& file);
    /// Reads the directory at `offset` of a file (throws std::runtime_error when damaged).
    static Directory readDirectory(const std::vector<std::uint8_t>& file, std::uint64_t offset);
    /// Decodes an unsigned integer array value.
    static std::vector<std::uint64_t> valuesOf(const std::vector<std::uint8_t>& file,
                                               const Entry& entry);

private:
    std::vector<std::uint8_t> encode(std::uint64_t value, unsigned width) const;

    bool m_bigTiff;
    bool m_bigEndian;
    std::vector<std::uint8_t> m_bytes;
};

} // namespace plexifold::test
