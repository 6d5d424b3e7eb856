#include "Sha256.h"

#include <cstdint>
#include <vector>

#include "FileHandle.h"

// What the digest is on every system; the hash itself is the system library's.
namespace plexifold::files {

std::string Sha256::hexOf(const unsigned char* digest, std::size_t size) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

std::string Sha256::ofFile(const FileHandle& file) {
    Sha256 hash;
    std::vector<std::uint8_t> chunk(1024 * 1024);
    for (std::uint64_t offset = 0;;) {
        const std::size_t n = file.readUpTo(offset, chunk.data(), chunk.size());
        if (n == 0)
            break;
        hash.update(chunk.data(), n);
        offset += n;
    }
    return hash.finish();
}

} // namespace plexifold::files
