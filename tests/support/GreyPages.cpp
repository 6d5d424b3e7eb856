#include "GreyPages.h"

#include <set>
#include <stdexcept>

#include "FileBytes.h"
#include "RawTiff.h"

namespace plexifold::test {

void writeGreyPages(const std::filesystem::path& path, int pageCount, std::uint32_t side) {
    const std::uint32_t Side = side;
    RawTiff tiff;
    std::uint64_t next = 0;
    for (int page = pageCount; page >= 1; --page) {
        std::vector<std::uint8_t> pixels(Side * Side);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<std::uint8_t>(i + static_cast<std::size_t>(page) * 37);
        const std::uint64_t strip = tiff.append(pixels);
        next = tiff.addDirectory(tiff.greyPage(Side, Side, {strip}, {pixels.size()}), next);
    }
    tiff.setFirstDirectory(next);
    writeFileBytes(path, tiff.data());
}

int countPages(const std::filesystem::path& path) {
    std::error_code missing;
    if (!std::filesystem::is_regular_file(path, missing))
        return -1;
    const std::vector<std::uint8_t> file = readFileBytes(path);
    try {
        std::set<std::uint64_t> seen;
        for (std::uint64_t at = RawTiff::readHeader(file).first; at != 0;
             at = RawTiff::readDirectory(file, at).next)
            if (!seen.insert(at).second)
                return -1;
        return static_cast<int>(seen.size());
    } catch (const std::runtime_error&) {
        return -1;
    }
}

} // namespace plexifold::test
