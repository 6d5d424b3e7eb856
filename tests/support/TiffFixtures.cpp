#include "TiffFixtures.h"

#include <memory>
#include <stdexcept>
#include <tiffio.h>

namespace plexifold::test {
namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

void require(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("libtiff could not ") + what);
}

std::vector<std::uint8_t> patternRow(const PageSpec& page, std::uint32_t row, tmsize_t size) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + row * 13 + page.seed * 31) ^ (i / 5));
    return bytes;
}

void setColormap(TIFF* tif, const PageSpec& page) {
    const std::size_t n = std::size_t{1} << page.bitsPerSample;
    std::vector<std::uint16_t> red(n), green(n), blue(n);
    for (std::size_t i = 0; i < n; ++i) {
        red[i] = static_cast<std::uint16_t>(i * 257);
        green[i] = static_cast<std::uint16_t>((n - 1 - i) * 257);
        blue[i] = static_cast<std::uint16_t>((i * 97 + page.seed) * 131);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
}

void registerPrivateTags(TIFF* tif) {
    static const TIFFFieldInfo fields[] = {
        {PrivateBytesTag, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_UNDEFINED, FIELD_CUSTOM, 1, 1,
         const_cast<char*>("PlexifoldPrivateBytes")},
        {PrivateLong8Tag, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_LONG8, FIELD_CUSTOM, 1, 1,
         const_cast<char*>("PlexifoldPrivateLong8")},
    };
    // Directory changes drop fields merged before, so this runs for every page that uses them.
    if (!TIFFFindField(tif, PrivateBytesTag, TIFF_ANY))
        require(TIFFMergeFieldInfo(tif, fields, 2) == 0, "register private tags");
}

void setBlobs(TIFF* tif, const PageSpec& page) {
    std::vector<std::uint8_t> icc(300);
    for (std::size_t i = 0; i < icc.size(); ++i)
        icc[i] = static_cast<std::uint8_t>(i * 11 + page.seed);
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(icc.size()), icc.data());
    const std::string xmp =
        "<x:xmpmeta xmlns:x='adobe:ns:meta/'>page " + std::to_string(page.seed) + "</x:xmpmeta>";
    TIFFSetField(tif, TIFFTAG_XMLPACKET, static_cast<std::uint32_t>(xmp.size()), xmp.data());
    const std::uint32_t iptc[] = {0x1c025a00, 0x0442657a, 0x6f6e0000};
    TIFFSetField(tif, TIFFTAG_RICHTIFFIPTC, 3u, iptc);
    const std::string photoshop = "8BIM\x04\x04\0\0\0\0\0\x04test";
    TIFFSetField(tif, TIFFTAG_PHOTOSHOP, static_cast<std::uint32_t>(photoshop.size()),
                 photoshop.data());
    std::vector<std::uint8_t> privateBytes(45, static_cast<std::uint8_t>(page.seed));
    privateBytes[0] = 0xfe;
    TIFFSetField(tif, PrivateBytesTag, static_cast<std::uint32_t>(privateBytes.size()),
                 privateBytes.data());
}

// Writes EXIF and GPS directories on their own and returns their offsets, before the
// page's directory is begun.
std::pair<std::uint64_t, std::uint64_t> writeExifAndGps(TIFF* tif, const PageSpec& page) {
    std::uint64_t exif = 0, gps = 0;
    const std::uint16_t iso[] = {static_cast<std::uint16_t>(100 + page.seed)};
    require(TIFFCreateEXIFDirectory(tif) == 0, "create an EXIF directory");
    TIFFSetField(tif, EXIFTAG_EXPOSURETIME, 1.0 / 125);
    TIFFSetField(tif, EXIFTAG_FNUMBER, 5.6);
    TIFFSetField(tif, EXIFTAG_ISOSPEEDRATINGS, 1, iso);
    TIFFSetField(tif, EXIFTAG_DATETIMEORIGINAL, "2024:05:06 07:08:09");
    TIFFSetField(tif, EXIFTAG_USERCOMMENT, 12, "ASCII\0\0\0scan");
    require(TIFFWriteCustomDirectory(tif, &exif), "write an EXIF directory");
    TIFFFreeDirectory(tif); // libtiff leaves a written custom directory to its caller
    const std::uint8_t version[] = {2, 2, 0, 0};
    const double latitude[] = {48.0, 51.0, 29.5};
    require(TIFFCreateGPSDirectory(tif) == 0, "create a GPS directory");
    TIFFSetField(tif, GPSTAG_VERSIONID, version);
    TIFFSetField(tif, GPSTAG_LATITUDEREF, "N");
    TIFFSetField(tif, GPSTAG_LATITUDE, latitude);
    require(TIFFWriteCustomDirectory(tif, &gps), "write a GPS directory");
    TIFFFreeDirectory(tif);
    require(TIFFCreateDirectory(tif) == 0, "start a new directory");
    return {exif, gps};
}

void setPageFields(TIFF* tif, const PageSpec& page, int index, int total) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, page.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, page.planarConfig);
    if (page.compression == COMPRESSION_JPEG && page.photometric == PHOTOMETRIC_YCBCR)
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    if (page.photometric == PHOTOMETRIC_PALETTE)
        setColormap(tif, page);
    if (page.predictor != 1)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, page.predictor);
    if (!page.description.empty())
        TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, page.description.c_str());
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, index < 0 ? FILETYPE_REDUCEDIMAGE : FILETYPE_PAGE);
    if (index >= 0)
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
            require(TIFFWriteScanline(tif, bytes.data(), row, static_cast<std::uint16_t>(plane)) >=
                        0,
                    "write a scanline");
        }
}

void writeTiles(TIFF* tif, const PageSpec& page) {
    const tmsize_t tileBytes = TIFFTileSize(tif);
    for (ttile_t tile = 0; tile < TIFFNumberOfTiles(tif); ++tile) {
        auto bytes = patternRow(page, tile, tileBytes);
        require(TIFFWriteEncodedTile(tif, tile, bytes.data(), tileBytes) >= 0, "write a tile");
    }
}

// The reduced-resolution copies follow their page's directory; libtiff links them
// through the page's SubIFDs entry.
void writeSubIfds(TIFF* tif, const PageSpec& page) {
    for (int i = 0; i < page.subIfds; ++i) {
        PageSpec reduced = page;
        reduced.width = page.width / 2 + 8 * static_cast<std::uint32_t>(i);
        reduced.height = page.height / 2;
        reduced.seed = page.seed * 10 + static_cast<std::uint32_t>(i);
        setPageFields(tif, reduced, -1, 0);
        reduced.tileSize != 0 ? writeTiles(tif, reduced) : writeStrips(tif, reduced);
        require(TIFFWriteDirectory(tif), "write a SubIFD");
    }
}

void writePage(TIFF* tif, const PageSpec& page, int index, int total, const FileSpec& file) {
    std::pair<std::uint64_t, std::uint64_t> exifAndGps{0, 0};
    if (page.richMetadata)
        exifAndGps = writeExifAndGps(tif, page);
    setPageFields(tif, page, index, total);
    registerPrivateTags(tif);
    if (page.richMetadata) {
        TIFFSetField(tif, TIFFTAG_EXIFIFD, exifAndGps.first);
        TIFFSetField(tif, TIFFTAG_GPSIFD, exifAndGps.second);
        setBlobs(tif, page);
    }
    if (!page.privateLong8.empty() && file.bigTiff)
        TIFFSetField(tif, PrivateLong8Tag, static_cast<std::uint32_t>(page.privateLong8.size()),
                     page.privateLong8.data());
    std::vector<std::uint64_t> subIfdOffsets(static_cast<std::size_t>(page.subIfds));
    if (page.subIfds > 0)
        TIFFSetField(tif, TIFFTAG_SUBIFD, static_cast<std::uint16_t>(page.subIfds),
                     subIfdOffsets.data());
    page.tileSize != 0 ? writeTiles(tif, page) : writeStrips(tif, page);
    require(TIFFWriteDirectory(tif), "write a directory");
    writeSubIfds(tif, page);
}

} // namespace

void writeTiff(const std::string& path, const std::vector<PageSpec>& pages, const FileSpec& file) {
    std::string mode = "w";
    mode += file.bigTiff ? "8" : "";
    mode += file.bigEndian ? "b" : "l";
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.c_str(), mode.c_str()));
    require(tif != nullptr, "create the file");
    const int total = static_cast<int>(pages.size());
    for (int i = 0; i < total; ++i)
        writePage(tif.get(), pages[static_cast<std::size_t>(i)], i, total, file);
}

void writeMultipageTiff(const std::string& path, int pageCount, const FileSpec& file) {
    std::vector<PageSpec> pages(static_cast<std::size_t>(pageCount));
    for (int i = 0; i < pageCount; ++i)
        pages[static_cast<std::size_t>(i)].seed = static_cast<std::uint32_t>(i + 1);
    writeTiff(path, pages, file);
}

} // namespace plexifold::test
