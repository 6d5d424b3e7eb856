#include "RawTiff.h"

#include <fstream>
#include <stdexcept>

namespace plexifold::test {

RawEntry RawEntry::of(std::uint16_t tag, std::uint16_t type, std::vector<std::uint64_t> values) {
    const std::uint64_t count = values.size();
    return {tag, type, count, [values = std::move(values)](std::uint64_t i) { return values[i]; }};
}

RawEntry RawEntry::generated(std::uint16_t tag, std::uint16_t type, std::uint64_t count,
                             std::function<std::uint64_t(std::uint64_t)> value) {
    return {tag, type, count, std::move(value)};
}

RawEntry RawEntry::pointing(std::uint16_t tag, std::uint16_t type, std::uint64_t count,
                            std::uint64_t field) {
    return {tag, type, count, {}, true, field};
}

RawTiff::RawTiff(bool bigTiff, bool bigEndian) : m_bigTiff(bigTiff), m_bigEndian(bigEndian) {
    m_bytes = {bigEndian ? std::uint8_t('M') : std::uint8_t('I'),
               bigEndian ? std::uint8_t('M') : std::uint8_t('I')};
    m_bytes.resize(bigTiff ? 16 : 8);
    put(2, bigTiff ? 43 : 42, 2);
    if (bigTiff) {
        put(4, 8, 2);
        put(6, 0, 2);
    }
}

unsigned RawTiff::typeSize(std::uint16_t type) {
    switch (type) {
    case 3:
    case 8:
        return 2;
    case 4:
    case 9:
    case 11:
    case 13:
        return 4;
    case 5:
    case 10:
    case 12:
    case 16:
    case 17:
    case 18:
        return 8;
    default:
        return 1;
    }
}

void RawTiff::put(std::uint64_t offset, std::uint64_t value, unsigned width) {
    for (unsigned i = 0; i < width; ++i) {
        const unsigned shift = 8 * (m_bigEndian ? width - 1 - i : i);
        m_bytes[offset + i] = static_cast<std::uint8_t>(value >> shift);
    }
}

std::uint64_t RawTiff::append(const std::vector<std::uint8_t>& bytes) {
    if (m_bytes.size() % 2)
        m_bytes.push_back(0);
    const std::uint64_t offset = m_bytes.size();
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return offset;
}

void RawTiff::writeValues(std::uint64_t offset, const RawEntry& entry) {
    const unsigned size = typeSize(entry.type);
    const bool rational = entry.type == kRational || entry.type == 10;
    for (std::uint64_t i = 0; i < entry.count; ++i) {
        if (rational) {
            put(offset + i * 8, entry.value(i), 4);
            put(offset + i * 8 + 4, 1, 4);
        } else {
            put(offset + i * size, entry.value(i), size);
        }
    }
}

std::uint64_t RawTiff::appendIfd(const std::vector<RawEntry>& entries) {
    const unsigned countSize = m_bigTiff ? 8 : 2;
    const std::uint64_t ifd = append(std::vector<std::uint8_t>(
        countSize + entries.size() * entrySize() + offsetSize(), std::uint8_t{0}));
    put(ifd, entries.size(), countSize);
    std::uint64_t at = ifd + countSize;
    for (const RawEntry& entry : entries) {
        put(at, entry.tag, 2);
        put(at + 2, entry.type, 2);
        put(at + 4, entry.count, offsetSize());
        const std::uint64_t field = at + 4 + offsetSize();
        const std::uint64_t bytes = entry.count * typeSize(entry.type);
        if (entry.rawField) {
            put(field, entry.field, offsetSize());
        } else if (bytes <= offsetSize()) {
            writeValues(field, entry);
        } else {
            const std::uint64_t values = append(std::vector<std::uint8_t>(bytes, 0));
            put(field, values, offsetSize());
            writeValues(values, entry);
        }
        at += entrySize();
    }
    return ifd;
}

void RawTiff::setFirstIfd(std::uint64_t offset) {
    put(m_bigTiff ? 8 : 4, offset, offsetSize());
}

void RawTiff::setNextIfd(std::uint64_t ifd, std::uint64_t next) {
    const unsigned countSize = m_bigTiff ? 8 : 2;
    std::uint64_t count = 0;
    for (unsigned i = 0; i < countSize; ++i)
        count |= std::uint64_t{m_bytes[ifd + i]} << (8 * (m_bigEndian ? countSize - 1 - i : i));
    put(ifd + countSize + count * entrySize(), next, offsetSize());
}

void RawTiff::save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(m_bytes.data()),
              static_cast<std::streamsize>(m_bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

std::vector<RawEntry> stripPageEntries(std::uint32_t width, std::uint32_t height,
                                       std::uint32_t rowsPerStrip, std::uint64_t strips,
                                       std::function<std::uint64_t(std::uint64_t)> offset,
                                       std::function<std::uint64_t(std::uint64_t)> length) {
    return {RawEntry::of(256, kLong, {width}),
            RawEntry::of(257, kLong, {height}),
            RawEntry::of(258, kShort, {8}),
            RawEntry::of(259, kShort, {1}),
            RawEntry::of(262, kShort, {1}),
            RawEntry::generated(273, kLong, strips, std::move(offset)),
            RawEntry::of(277, kShort, {1}),
            RawEntry::of(278, kLong, {rowsPerStrip}),
            RawEntry::generated(279, kLong, strips, std::move(length))};
}

std::vector<std::uint64_t> appendPageChain(RawTiff& tiff, std::uint64_t pages) {
    std::vector<std::uint8_t> pixels(16);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 16);
    const std::uint64_t data = tiff.append(pixels);
    const auto entries = stripPageEntries(
        4, 4, 4, 1, [data](std::uint64_t) { return data; }, [](std::uint64_t) { return 16; });
    std::vector<std::uint64_t> ifds;
    ifds.reserve(pages);
    for (std::uint64_t page = 0; page < pages; ++page) {
        ifds.push_back(tiff.appendIfd(entries));
        if (page == 0)
            tiff.setFirstIfd(ifds.back());
        else
            tiff.setNextIfd(ifds[page - 1], ifds.back());
    }
    return ifds;
}

} // namespace plexifold::test
