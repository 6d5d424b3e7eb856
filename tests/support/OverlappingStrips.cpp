#include "OverlappingStrips.h"

#include <random>

#include "RawTiff.h"

namespace plexifold::test {

std::vector<std::uint8_t> overlappingStripsFile(const OverlapSpec& spec) {
    RawTiff tiff;
    std::mt19937 random(spec.seed);
    std::vector<std::uint8_t> window(spec.window);
    for (std::uint8_t& byte : window)
        byte = static_cast<std::uint8_t>(random());
    const std::uint64_t at = tiff.append(window);
    const std::uint64_t stripBytes =
        (spec.width * (spec.bilevelFax ? 1u : 8u) + 7) / 8 * spec.rowsPerStrip;
    std::uniform_int_distribution<std::uint64_t> offset(at, at + spec.window - stripBytes);
    std::vector<std::uint64_t> directories;
    for (int page = 0; page < spec.pages; ++page) {
        std::vector<std::uint64_t> offsets(spec.strips), counts(spec.strips, stripBytes);
        for (std::uint64_t& o : offsets)
            o = offset(random);
        auto entries = tiff.greyPage(spec.width, spec.rowsPerStrip, offsets, counts);
        if (spec.bilevelFax) {
            entries[2] = tiff.shorts(258, {1});
            entries[3] = tiff.shorts(259, {4});
            entries[4] = tiff.shorts(262, {0});
        }
        directories.push_back(tiff.addDirectory(entries));
    }
    tiff.setFirstDirectory(directories.front());
    for (std::size_t i = 0; i + 1 < directories.size(); ++i)
        tiff.setNext(directories[i], directories[i + 1]);
    return tiff.data();
}

} // namespace plexifold::test
