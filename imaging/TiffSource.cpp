#include "TiffSource.h"

#include <cstring>
#include <utility>

#include "TiffError.h"

namespace plexifold::imaging {

TiffSource::TiffSource(FileHandle file, std::uint64_t size, TiffHeader header,
                       std::vector<std::uint64_t> pages)
    : m_file(std::move(file)), m_size(size), m_header(header), m_pages(std::move(pages)) {}

std::shared_ptr<const TiffSource> TiffSource::open(const std::filesystem::path& path) {
    FileHandle file = FileHandle::openForReading(path);
    const std::uint64_t size = file.size();
    const TiffHeader header = readHeader(file, size);
    std::vector<std::uint64_t> pages = readPageChain(file, size, header);
    if (pages.empty())
        throw TiffError("the file has no pages");
    pages.shrink_to_fit();
    return std::shared_ptr<const TiffSource>(
        new TiffSource(std::move(file), size, header, std::move(pages)));
}

std::optional<TiffDirectory> TiffSource::directoryAt(std::uint64_t offset) const {
    return readDirectory(m_file, m_size, m_header, offset);
}

std::optional<std::uint64_t> TiffSource::valueSize(const TiffEntry& entry) const {
    const std::uint64_t width = typeSize(entry.type);
    if (width == 0 || entry.count > UINT64_MAX / width)
        return std::nullopt;
    return entry.count * width;
}

bool TiffSource::isInline(const TiffEntry& entry) const {
    const auto size = valueSize(entry);
    return size && *size <= DirectoryShape::of(bigTiff()).offsetSize;
}

std::uint64_t TiffSource::valueOffset(const TiffEntry& entry) const {
    return order().get(entry.field.data(), DirectoryShape::of(bigTiff()).offsetSize);
}

bool TiffSource::valueInFile(const TiffEntry& entry) const {
    const auto size = valueSize(entry);
    if (!size)
        return false;
    if (isInline(entry))
        return true;
    return *size <= m_size && valueOffset(entry) <= m_size - *size;
}

bool TiffSource::readValue(const TiffEntry& entry, std::uint64_t skip, std::uint8_t* out,
                           std::size_t length) const {
    if (isInline(entry)) {
        if (skip + length > entry.field.size())
            return false;
        std::memcpy(out, entry.field.data() + skip, length);
        return true;
    }
    return m_file.readAt(valueOffset(entry) + skip, out, length);
}

} // namespace plexifold::imaging
