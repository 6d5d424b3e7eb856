#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plexifold::imaging {

class FileHandle;

// Small reads served from a few cached blocks, so that walking a chain of thousands of
// directories costs a few large reads instead of two system calls per directory.
class BlockReader {
public:
    BlockReader(const FileHandle& file, std::uint64_t fileSize);

    /// Copies `length` bytes at `offset` into `out`. False when they lie past the end of
    /// the file.
    bool read(std::uint64_t offset, std::uint8_t* out, std::size_t length);

private:
    static constexpr std::size_t BlockSize = 32 * 1024;
    static constexpr std::size_t BlockCount = 4;

    struct Block {
        std::uint64_t index = UINT64_MAX;
        std::vector<std::uint8_t> bytes;
    };

    const Block* load(std::uint64_t index);

    const FileHandle& m_file;
    std::uint64_t m_size;
    std::array<Block, BlockCount> m_blocks;
    std::size_t m_nextVictim = 0;
};

} // namespace plexifold::imaging
