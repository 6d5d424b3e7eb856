#include "LibtiffView.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <tiffio.h>

namespace plexifold::test {
namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// Quiet: hostile files make libtiff complain, and the tests check its answers.
TiffPtr openQuietly(const std::string& path) {
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    return TiffPtr(TIFFOpen(path.c_str(), "r"));
}

std::uint32_t pieceCount(TIFF* tif) {
    return TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
}

// The raw bytes of piece `index`; false when libtiff cannot read them.
bool readPiece(TIFF* tif, std::uint32_t index, std::vector<std::uint8_t>& bytes) {
    const bool tiled = TIFFIsTiled(tif);
    const tmsize_t size = static_cast<tmsize_t>(TIFFGetStrileByteCount(tif, index));
    if (size <= 0)
        return size == 0;
    bytes.assign(static_cast<std::size_t>(size), 0);
    const tmsize_t read = tiled ? TIFFReadRawTile(tif, index, bytes.data(), size)
                                : TIFFReadRawStrip(tif, index, bytes.data(), size);
    return read == size;
}

TiffPtr openDirectory(const std::string& path, int directory) {
    TiffPtr tif = openQuietly(path);
    if (tif && !TIFFSetDirectory(tif.get(), static_cast<tdir_t>(directory)))
        tif.reset();
    return tif;
}

} // namespace

int libtiffDirectoryCount(const std::string& path) {
    const TiffPtr tif = openQuietly(path);
    if (!tif)
        return -1;
    int count = 1;
    while (TIFFReadDirectory(tif.get()))
        ++count;
    return count;
}

std::vector<std::vector<std::uint8_t>> libtiffRawData(const std::string& path, int directory) {
    const TiffPtr tif = openDirectory(path, directory);
    if (!tif)
        return {};
    std::vector<std::vector<std::uint8_t>> pieces(pieceCount(tif.get()));
    for (std::uint32_t i = 0; i < pieces.size(); ++i)
        if (!readPiece(tif.get(), i, pieces[i]))
            return {};
    return pieces;
}

std::uint32_t libtiffPieceCount(const std::string& path, int directory) {
    const TiffPtr tif = openDirectory(path, directory);
    return tif ? pieceCount(tif.get()) : 0;
}

std::vector<std::uint8_t> libtiffRawPiece(const std::string& path, int directory,
                                          std::uint32_t index) {
    const TiffPtr tif = openDirectory(path, directory);
    std::vector<std::uint8_t> bytes;
    if (!tif || !readPiece(tif.get(), index, bytes))
        bytes.clear();
    return bytes;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

std::string pageFileName(const std::string& base, const std::string& extension, int total,
                         int page) {
    const std::string number = std::to_string(page);
    const std::size_t digits = std::to_string(total).size();
    return base + "_page_" + std::string(digits - number.size(), '0') + number + "." + extension;
}

} // namespace plexifold::test
