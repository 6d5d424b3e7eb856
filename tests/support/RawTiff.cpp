#include "RawTiff.h"

#include <algorithm>
#include <stdexcept>

namespace plexifold::test {
namespace {

unsigned typeWidth(std::uint16_t type) {
    static const unsigned widths[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
    return type < std::size(widths) ? widths[type] : 1;
}

std::uint64_t get(const std::vector<std::uint8_t>& file, std::uint64_t at, unsigned width,
                  bool bigEndian) {
    if (at + width > file.size())
        throw std::runtime_error("read past the end of the file");
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i)
        value = (value << 8) | file[at + (bigEndian ? i : width - 1 - i)];
    return value;
}

} // namespace

RawTiff::RawTiff(bool bigTiff, bool bigEndian) : m_bigTiff(bigTiff), m_bigEndian(bigEndian) {
    m_bytes = {static_cast<std::uint8_t>(bigEndian ? 'M' : 'I'),
               static_cast<std::uint8_t>(bigEndian ? 'M' : 'I')};
    auto magic = encode(bigTiff ? 43 : 42, 2);
    m_bytes.insert(m_bytes.end(), magic.begin(), magic.end());
    if (bigTiff) {
        auto rest = encode(8, 2);
        m_bytes.insert(m_bytes.end(), rest.begin(), rest.end());
        m_bytes.insert(m_bytes.end(), 10, 0);
    } else {
        m_bytes.insert(m_bytes.end(), 4, 0);
    }
}

RawTiff::Entry RawTiff::numbers(std::uint16_t tag, std::uint16_t type,
                                const std::vector<std::uint64_t>& values) const {
    Entry entry{tag, type, values.size(), {}};
    for (const std::uint64_t value : values) {
        auto bytes = encode(value, typeWidth(type));
        entry.value.insert(entry.value.end(), bytes.begin(), bytes.end());
    }
    return entry;
}

RawTiff::Entry RawTiff::shorts(std::uint16_t tag, const std::vector<std::uint64_t>& v) const {
    return numbers(tag, 3, v);
}

RawTiff::Entry RawTiff::longs(std::uint16_t tag, const std::vector<std::uint64_t>& v) const {
    return numbers(tag, 4, v);
}

RawTiff::Entry RawTiff::long8s(std::uint16_t tag, const std::vector<std::uint64_t>& v) const {
    return numbers(tag, 16, v);
}

RawTiff::Entry RawTiff::ascii(std::uint16_t tag, const std::string& text) {
    Entry entry{tag, 2, text.size() + 1, {text.begin(), text.end()}};
    entry.value.push_back(0);
    return entry;
}

RawTiff::Entry RawTiff::bytes(std::uint16_t tag, std::uint16_t type,
                              std::vector<std::uint8_t> value) {
    const std::uint64_t count = value.size() / std::max(1u, typeWidth(type));
    return Entry{tag, type, count, std::move(value)};
}

std::vector<RawTiff::Entry> RawTiff::greyPage(std::uint32_t width, std::uint32_t rowsPerStrip,
                                              const std::vector<std::uint64_t>& offsets,
                                              const std::vector<std::uint64_t>& counts) const {
    const bool big = m_bigTiff;
    return {longs(256, {width}),
            longs(257, {rowsPerStrip * offsets.size()}),
            shorts(258, {8}),
            shorts(259, {1}),
            shorts(262, {1}),
            big ? long8s(273, offsets) : longs(273, offsets),
            shorts(277, {1}),
            longs(278, {rowsPerStrip}),
            big ? long8s(279, counts) : longs(279, counts)};
}

std::uint64_t RawTiff::append(const std::vector<std::uint8_t>& bytes) {
    if (m_bytes.size() % 2 != 0)
        m_bytes.push_back(0);
    const std::uint64_t offset = m_bytes.size();
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return offset;
}

std::uint64_t RawTiff::addDirectory(const std::vector<Entry>& entries, std::uint64_t next) {
    const unsigned field = m_bigTiff ? 8 : 4;
    std::vector<std::uint8_t> directory = encode(entries.size(), m_bigTiff ? 8 : 2);
    for (const Entry& entry : entries) {
        auto add = [&directory](const std::vector<std::uint8_t>& b) {
            directory.insert(directory.end(), b.begin(), b.end());
        };
        add(encode(entry.tag, 2));
        add(encode(entry.type, 2));
        add(encode(entry.count, field));
        std::vector<std::uint8_t> value = entry.value;
        if (value.size() > field)
            value = encode(append(entry.value), field);
        value.resize(field, 0);
        add(value);
    }
    auto link = encode(next, field);
    directory.insert(directory.end(), link.begin(), link.end());
    return append(directory);
}

void RawTiff::setFirstDirectory(std::uint64_t offset) {
    patch(m_bigTiff ? 8 : 4, offset, m_bigTiff ? 8 : 4);
}

void RawTiff::setNext(std::uint64_t directory, std::uint64_t next) {
    const unsigned countSize = m_bigTiff ? 8 : 2;
    const std::uint64_t count = get(m_bytes, directory, countSize, m_bigEndian);
    patch(directory + countSize + count * (m_bigTiff ? 20 : 12), next, m_bigTiff ? 8 : 4);
}

void RawTiff::patch(std::uint64_t offset, std::uint64_t value, unsigned width) {
    const auto bytes = encode(value, width);
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::uint64_t RawTiff::fieldOffset(std::uint64_t directory, std::size_t index) const {
    return m_bigTiff ? directory + 8 + index * 20 + 12 : directory + 2 + index * 12 + 8;
}

std::vector<std::uint8_t> RawTiff::encode(std::uint64_t value, unsigned width) const {
    std::vector<std::uint8_t> bytes(width);
    for (unsigned i = 0; i < width; ++i) {
        bytes[m_bigEndian ? width - 1 - i : i] = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
    return bytes;
}

RawTiff::Header RawTiff::readHeader(const std::vector<std::uint8_t>& file) {
    Header header;
    header.bigEndian = !file.empty() && file[0] == 'M';
    header.bigTiff = get(file, 2, 2, header.bigEndian) == 43;
    header.first = get(file, header.bigTiff ? 8 : 4, header.bigTiff ? 8 : 4, header.bigEndian);
    return header;
}

RawTiff::Directory RawTiff::readDirectory(const std::vector<std::uint8_t>& file,
                                          std::uint64_t offset) {
    const Header header = readHeader(file);
    const bool big = header.bigEndian;
    const unsigned field = header.bigTiff ? 8 : 4;
    const unsigned countSize = header.bigTiff ? 8 : 2;
    const std::uint64_t count = get(file, offset, countSize, big);
    Directory directory;
    std::uint64_t at = offset + countSize;
    for (std::uint64_t i = 0; i < count; ++i, at += 4 + 2 * field) {
        Entry entry;
        entry.tag = static_cast<std::uint16_t>(get(file, at, 2, big));
        entry.type = static_cast<std::uint16_t>(get(file, at + 2, 2, big));
        entry.count = get(file, at + 4, field, big);
        const std::uint64_t size = entry.count * typeWidth(entry.type);
        const std::uint64_t start =
            size <= field ? at + 4 + field : get(file, at + 4 + field, field, big);
        if (start + size > file.size())
            throw std::runtime_error("a value lies past the end of the file");
        entry.value.assign(file.begin() + static_cast<std::ptrdiff_t>(start),
                           file.begin() + static_cast<std::ptrdiff_t>(start + size));
        directory.entries.push_back(std::move(entry));
    }
    directory.next = get(file, at, field, big);
    return directory;
}

std::vector<std::uint64_t> RawTiff::valuesOf(const std::vector<std::uint8_t>& file,
                                             const Entry& entry) {
    const bool big = readHeader(file).bigEndian;
    const unsigned width = typeWidth(entry.type);
    std::vector<std::uint64_t> values;
    for (std::uint64_t i = 0; i < entry.count; ++i)
        values.push_back(get(entry.value, i * width, width, big));
    return values;
}

const RawTiff::Entry* RawTiff::Directory::find(std::uint16_t tag) const {
    for (const Entry& entry : entries)
        if (entry.tag == tag)
            return &entry;
    return nullptr;
}

} // namespace plexifold::test
