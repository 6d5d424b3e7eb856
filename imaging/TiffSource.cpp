#include "TiffSource.h"

#include <cstring>
#include <utility>

#include "TiffError.h"

namespace plexifold::imaging {

TiffSource::TiffSource(files::FileHandle file, std::uint64_t size)
    : m_file(std::move(file)), m_size(size), m_blocks(m_file, size),
      m_budget(TiffLimits::maxPageFileSize(size)) {}

std::shared_ptr<const TiffSource> TiffSource::open(const std::filesystem::path& path) {
    return withTiffErrors([&] { return open(files::FileHandle::openForReading(path)); });
}

std::shared_ptr<const TiffSource> TiffSource::open(files::FileHandle file) {
    return withTiffErrors([&] {
        const std::uint64_t size = file.size();
        std::shared_ptr<TiffSource> source(new TiffSource(std::move(file), size));
        source->m_header = readHeader(source->m_file, size);
        source->m_pages = readPageChain(source->m_blocks, source->m_header);
        if (source->m_pages.empty())
            throw TiffError("the file has no pages");
        source->m_pages.shrink_to_fit();
        return std::shared_ptr<const TiffSource>(std::move(source));
    });
}

std::optional<TiffDirectory> TiffSource::directoryAt(std::uint64_t offset) const {
    const std::lock_guard lock(m_blocksLock);
    return readDirectory(m_blocks, m_header, offset);
}

bool TiffSource::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const {
    if (length >= BlockReader::BlockSize)
        return length <= m_size && offset <= m_size - length && m_file.readAt(offset, out, length);
    const std::lock_guard lock(m_blocksLock);
    return m_blocks.read(offset, out, length);
}

void TiffSource::readAfresh() const {
    const std::lock_guard lock(m_blocksLock);
    m_blocks.clear();
}

bool TiffSource::chargeMeasuring(std::uint64_t bytes) const {
    const std::uint64_t limit = TiffLimits::maxPageFileSize(m_size);
    std::uint64_t used = m_measured.load();
    do {
        if (bytes > limit || used > limit - bytes)
            return false;
    } while (!m_measured.compare_exchange_weak(used, used + bytes));
    return true;
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
        if (length > 0) // an empty value may come with no buffer at all
            std::memcpy(out, entry.field.data() + skip, length);
        return true;
    }
    return readAt(valueOffset(entry) + skip, out, length);
}

} // namespace plexifold::imaging
