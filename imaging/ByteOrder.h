#pragma once

#include <cstdint>

namespace plexifold::imaging {

// Reads and writes unsigned integers of 1 to 8 bytes in a TIFF file's byte order.
class ByteOrder {
public:
    explicit ByteOrder(bool bigEndian = false) : m_bigEndian(bigEndian) {}

    bool bigEndian() const { return m_bigEndian; }

    std::uint64_t get(const std::uint8_t* bytes, unsigned width) const {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i)
            value = (value << 8) | bytes[m_bigEndian ? i : width - 1 - i];
        return value;
    }

    void put(std::uint8_t* bytes, std::uint64_t value, unsigned width) const {
        for (unsigned i = 0; i < width; ++i) {
            bytes[m_bigEndian ? width - 1 - i : i] = static_cast<std::uint8_t>(value);
            value >>= 8;
        }
    }

private:
    bool m_bigEndian;
};

} // namespace plexifold::imaging
