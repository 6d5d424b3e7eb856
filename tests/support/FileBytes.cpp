#include "FileBytes.h"

#include <fstream>
#include <iterator>

namespace plexifold::test {

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    writeFileBytes(path,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void writeFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code ignored; // a folder that cannot be made fails the write below
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace plexifold::test
