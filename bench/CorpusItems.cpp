#include "CorpusItems.h"

#include <cstdio>
#include <tiffio.h>

#include "PageContent.h"
#include "TiffWriter.h"

namespace plexifold::bench {
namespace {

// The size of a fax page: 1728 dots wide, A4 long, at 200 dpi.
constexpr std::uint32_t faxWidth = 1728, faxHeight = 2200;
// An A4 page at 300 dpi.
constexpr std::uint32_t a4Width = 2480, a4Height = 3508;
// Body text of about 10 pt at each resolution.
constexpr int textAt200 = 24, textAt300 = 36;

PageFormat faxFormat() {
    PageFormat format;
    format.width = faxWidth;
    format.height = faxHeight;
    format.bitsPerSample = 1;
    format.photometric = PHOTOMETRIC_MINISWHITE;
    format.compression = COMPRESSION_CCITTFAX4;
    format.dpi = 200;
    return format; // one strip per page, as fax software writes it
}

void writeFaxes(const std::filesystem::path& path, std::uint64_t seed, int pages) {
    const GlyphFont font(7, textAt200);
    TiffWriter writer(path);
    for (int i = 0; i < pages; ++i)
        writer.writePage(faxFormat(), faxPage(seed + std::uint64_t(i), faxWidth, faxHeight, font),
                         i, pages);
    writer.close();
}

void writeScan(const std::filesystem::path& path) {
    PageFormat format;
    format.width = a4Width;
    format.height = a4Height;
    format.samplesPerPixel = 3;
    format.photometric = PHOTOMETRIC_RGB;
    format.rowsPerStrip = 64;
    const GlyphFont font(11, textAt300);
    TiffWriter writer(path);
    for (int i = 0; i < 30; ++i)
        writer.writePage(format, colourScanPage(2000 + std::uint64_t(i), a4Width, a4Height, font),
                         i, 30);
    writer.close();
}

void writeLzw(const std::filesystem::path& path) {
    PageFormat format;
    format.width = a4Width;
    format.height = a4Height;
    format.photometric = PHOTOMETRIC_MINISBLACK;
    format.compression = COMPRESSION_LZW;
    format.predictor = PREDICTOR_HORIZONTAL;
    format.rowsPerStrip = 16;
    const GlyphFont font(13, textAt300);
    TiffWriter writer(path);
    for (int i = 0; i < 40; ++i)
        writer.writePage(format, greyDocumentPage(3000 + std::uint64_t(i), a4Width, a4Height, font),
                         i, 40);
    writer.close();
}

void writeTiled(const std::filesystem::path& path) {
    PageFormat format;
    format.width = 4000;
    format.height = 3000;
    format.samplesPerPixel = 3;
    format.photometric = PHOTOMETRIC_YCBCR;
    format.compression = COMPRESSION_JPEG;
    format.tileSize = 256;
    format.jpegQuality = 85;
    TiffWriter writer(path);
    for (int i = 0; i < 20; ++i)
        writer.writePage(format, photoPage(4000 + std::uint64_t(i), format.width, format.height), i,
                         20);
    writer.close();
}

void writeMany(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 400; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "fax_%04d.tif", i + 1);
        writeFaxes(folder / name, 10000 + 4 * std::uint64_t(i), 4);
    }
}

} // namespace

std::vector<CorpusItem> corpusItems() {
    return {
        {"fax.tif", 1, 300, [](const auto& path) { writeFaxes(path, 1000, 300); }},
        {"scan.tif", 1, 30, writeScan},
        {"lzw.tif", 1, 40, writeLzw},
        {"tiled.tif", 1, 20, writeTiled},
        {"many", 400, 4, writeMany},
    };
}

} // namespace plexifold::bench
