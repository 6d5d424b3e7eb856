#include "TiffWriter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <tiffio.h>

namespace plexifold::bench {

TiffWriter::TiffWriter(const std::filesystem::path& path)
    : m_path(path), m_tiff(TIFFOpen(path.c_str(), "wl")) {
    if (!m_tiff)
        fail("cannot create the file");
}

TiffWriter::~TiffWriter() {
    if (m_tiff)
        TIFFClose(m_tiff);
}

void TiffWriter::close() {
    const bool flushed = TIFFFlush(m_tiff) == 1;
    TIFFClose(m_tiff);
    m_tiff = nullptr;
    if (!flushed)
        fail("cannot finish the file");
}

void TiffWriter::fail(const char* what) const {
    throw std::runtime_error(m_path.string() + ": " + what);
}

void TiffWriter::writePage(const PageFormat& format, const std::vector<std::uint8_t>& pixels,
                           int index, int total) {
    setFields(format, index, total);
    format.tileSize != 0 ? writeTiles(format, pixels) : writeStrips(format, pixels);
    if (!TIFFWriteDirectory(m_tiff))
        fail("cannot write a page's directory");
}

void TiffWriter::setFields(const PageFormat& format, int index, int total) {
    TIFFSetField(m_tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(m_tiff, TIFFTAG_IMAGEWIDTH, format.width);
    TIFFSetField(m_tiff, TIFFTAG_IMAGELENGTH, format.height);
    TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, format.bitsPerSample);
    TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, format.samplesPerPixel);
    TIFFSetField(m_tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, format.compression);
    TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, format.photometric);
    if (format.predictor != PREDICTOR_NONE)
        TIFFSetField(m_tiff, TIFFTAG_PREDICTOR, format.predictor);
    if (format.compression == COMPRESSION_JPEG) {
        TIFFSetField(m_tiff, TIFFTAG_JPEGQUALITY, format.jpegQuality);
        TIFFSetField(m_tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    TIFFSetField(m_tiff, TIFFTAG_XRESOLUTION, static_cast<float>(format.dpi));
    TIFFSetField(m_tiff, TIFFTAG_YRESOLUTION, static_cast<float>(format.dpi));
    TIFFSetField(m_tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(m_tiff, TIFFTAG_PAGENUMBER, static_cast<std::uint16_t>(index),
                 static_cast<std::uint16_t>(total));
    if (format.tileSize != 0) {
        TIFFSetField(m_tiff, TIFFTAG_TILEWIDTH, format.tileSize);
        TIFFSetField(m_tiff, TIFFTAG_TILELENGTH, format.tileSize);
    } else {
        TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP,
                     format.rowsPerStrip != 0 ? format.rowsPerStrip : format.height);
    }
}

void TiffWriter::writeStrips(const PageFormat& format, const std::vector<std::uint8_t>& pixels) {
    const std::size_t rowBytes =
        (std::size_t{format.width} * format.samplesPerPixel * format.bitsPerSample + 7) / 8;
    const std::uint32_t rows = format.rowsPerStrip != 0 ? format.rowsPerStrip : format.height;
    for (std::uint32_t y = 0, strip = 0; y < format.height; y += rows, ++strip) {
        const std::size_t bytes = rowBytes * std::min(rows, format.height - y);
        auto* data = const_cast<std::uint8_t*>(pixels.data() + rowBytes * y);
        if (TIFFWriteEncodedStrip(m_tiff, strip, data, static_cast<tmsize_t>(bytes)) < 0)
            fail("cannot write a strip");
    }
}

// Cuts the page into tiles; the parts of edge tiles past the page repeat its last pixels.
void TiffWriter::writeTiles(const PageFormat& format, const std::vector<std::uint8_t>& pixels) {
    const std::size_t pixelBytes = format.samplesPerPixel * format.bitsPerSample / 8u;
    const std::size_t size = format.tileSize;
    std::vector<std::uint8_t> tile(size * size * pixelBytes);
    for (std::uint32_t ty = 0; ty < format.height; ty += format.tileSize)
        for (std::uint32_t tx = 0; tx < format.width; tx += format.tileSize) {
            for (std::size_t j = 0; j < size; ++j) {
                const std::size_t y = std::min<std::size_t>(ty + j, format.height - 1);
                for (std::size_t i = 0; i < size; ++i) {
                    const std::size_t x = std::min<std::size_t>(tx + i, format.width - 1);
                    std::memcpy(&tile[(j * size + i) * pixelBytes],
                                &pixels[(y * format.width + x) * pixelBytes], pixelBytes);
                }
            }
            if (TIFFWriteTile(m_tiff, tile.data(), tx, ty, 0, 0) < 0)
                fail("cannot write a tile");
        }
}

} // namespace plexifold::bench
