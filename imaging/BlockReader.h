#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plexifold::files {
class FileHandle;
}

namespace plexifold::imaging {

// Small reads served from a few cached 4 KiB blocks, so that a directory, the values
// beside it and the next directory of a chain cost one system call instead of one each.
// Reads of a block or more go straight to the file.
class BlockReader {
public:
    static constexpr std::size_t BlockSize = 4096;
    static constexpr std::size_t BlockCount = 16;

    BlockReader(const files::FileHandle& file, std::uint64_t fileSize);

    const files::FileHandle& file() const { return m_file; }
    std::uint64_t fileSize() const { return m_size; }

    /// Copies `length` bytes at `offset` into `out`. False when they lie past the end of
    /// the file; throws TiffError on an I/O error.
    bool read(std::uint64_t offset, std::uint8_t* out, std::size_t length);

    /// Forgets the cached blocks: later reads see the file as it is then.
    void clear();

private:
    struct Block {
        std::uint64_t index = UINT64_MAX;
        std::vector<std::uint8_t> bytes;
    };

    const Block* load(std::uint64_t index);

    const files::FileHandle& m_file;
    std::uint64_t m_size;
    std::array<Block, BlockCount> m_blocks;
    std::size_t m_nextVictim = 0;
};

} // namespace plexifold::imaging
