#include "BlockReader.h"

#include <algorithm>
#include <cstring>

#include "FileHandle.h"

namespace plexifold::imaging {

BlockReader::BlockReader(const files::FileHandle& file, std::uint64_t fileSize)
    : m_file(file), m_size(fileSize) {}

bool BlockReader::read(std::uint64_t offset, std::uint8_t* out, std::size_t length) {
    if (length > m_size || offset > m_size - length)
        return false;
    if (length >= BlockSize)
        return m_file.readAt(offset, out, length);
    while (length > 0) {
        const Block* block = load(offset / BlockSize);
        const std::size_t start = static_cast<std::size_t>(offset % BlockSize);
        if (start >= block->bytes.size())
            return false;
        const std::size_t n = std::min(length, block->bytes.size() - start);
        std::memcpy(out, block->bytes.data() + start, n);
        out += n;
        offset += n;
        length -= n;
    }
    return true;
}

void BlockReader::clear() {
    for (Block& block : m_blocks)
        block.index = UINT64_MAX;
}

const BlockReader::Block* BlockReader::load(std::uint64_t index) {
    for (const Block& block : m_blocks)
        if (block.index == index)
            return &block;
    Block& block = m_blocks[m_nextVictim];
    m_nextVictim = (m_nextVictim + 1) % BlockCount;
    const std::uint64_t start = index * BlockSize;
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(BlockSize, m_size - start));
    block.index = UINT64_MAX;
    block.bytes.resize(length);
    // A file cut short since it was opened still serves the bytes it has left.
    block.bytes.resize(m_file.readUpTo(start, block.bytes.data(), length));
    block.index = index;
    return &block;
}

} // namespace plexifold::imaging
