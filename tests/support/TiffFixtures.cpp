#include "TiffFixtures.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <tiffio.h>

namespace plexifold::test {
namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

std::vector<std::uint8_t> patternRow(const PageSpec& page, std::uint32_t row, tmsize_t size) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + row * 13 + page.seed * 31) ^ (i / 5));
    return bytes;
}

void setPageFields(TIFF* tif, const PageSpec& page, int index, int total) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, page.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, page.planarConfig);
    if (page.predictor != 1)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, page.predictor);
    if (!page.description.empty())
        TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, page.description.c_str());
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<std::uint16_t>(index),
                 static_cast<std::uint16_t>(total));
    if (page.tileSize != 0) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, page.tileSize);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, page.tileSize);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.rowsPerStrip);
    }
}

void writeStrips(TIFF* tif, const PageSpec& page) {
    const int planes = page.planarConfig == PLANARCONFIG_SEPARATE ? page.samplesPerPixel : 1;
    for (int plane = 0; plane < planes; ++plane)
        for (std::uint32_t row = 0; row < page.height; ++row) {
            auto bytes = patternRow(page, row + 1000u * plane, TIFFScanlineSize(tif));
            if (TIFFWriteScanline(tif, bytes.data(), row, static_cast<std::uint16_t>(plane)) < 0)
                throw std::runtime_error("libtiff could not write a scanline");
        }
}

void writeTiles(TIFF* tif, const PageSpec& page) {
    const tmsize_t tileBytes = TIFFTileSize(tif);
    for (ttile_t tile = 0; tile < TIFFNumberOfTiles(tif); ++tile) {
        auto bytes = patternRow(page, tile, tileBytes);
        if (TIFFWriteEncodedTile(tif, tile, bytes.data(), tileBytes) < 0)
            throw std::runtime_error("libtiff could not write a tile");
    }
}

} // namespace

void writeTiff(const std::string& path, const std::vector<PageSpec>& pages, const FileSpec& file) {
    std::string mode = "w";
    mode += file.bigTiff ? "8" : "";
    mode += file.bigEndian ? "b" : "l";
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.c_str(), mode.c_str()));
    if (!tif)
        throw std::runtime_error("libtiff could not create " + path);
    const int total = static_cast<int>(pages.size());
    for (int i = 0; i < total; ++i) {
        const PageSpec& page = pages[static_cast<std::size_t>(i)];
        setPageFields(tif.get(), page, i, total);
        page.tileSize != 0 ? writeTiles(tif.get(), page) : writeStrips(tif.get(), page);
        if (!TIFFWriteDirectory(tif.get()))
            throw std::runtime_error("libtiff could not write a directory");
    }
}

void writeMultipageTiff(const std::string& path, int pageCount, const FileSpec& file) {
    std::vector<PageSpec> pages(static_cast<std::size_t>(pageCount));
    for (int i = 0; i < pageCount; ++i)
        pages[static_cast<std::size_t>(i)].seed = static_cast<std::uint32_t>(i + 1);
    writeTiff(path, pages, file);
}

std::vector<std::uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace plexifold::test
