#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FileBytes.h"

// Writes TIFF files for tests with libtiff, the independent reader and writer.
namespace plexifold::test {

struct PageSpec {
    std::uint32_t width = 64;
    std::uint32_t height = 48;
    std::uint16_t compression = 1; // COMPRESSION_NONE
    std::uint16_t photometric = 1; // PHOTOMETRIC_MINISBLACK; PALETTE gets a colormap
    std::uint16_t bitsPerSample = 8;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t planarConfig = 1; // PLANARCONFIG_CONTIG
    std::uint16_t predictor = 1;
    std::uint32_t rowsPerStrip = 16;
    std::uint32_t tileSize = 0; // 0: strips; else square tiles of this size (multiple of 16)
    std::string description;    // ImageDescription, when not empty
    std::uint32_t seed = 1;     // varies the pixels from page to page
    bool richMetadata = false;  // EXIF and GPS directories, ICC, XMP, IPTC, Photoshop and
                                // a private UNDEFINED tag (65000)
    std::vector<std::uint64_t> privateLong8; // private LONG8 tag 65001 (BigTIFF files only)
    int subIfds = 0;                         // reduced-resolution copies held as SubIFDs
};

struct FileSpec {
    bool bigTiff = false;
    bool bigEndian = false;
};

inline constexpr std::uint32_t PrivateBytesTag = 65000;
inline constexpr std::uint32_t PrivateLong8Tag = 65001;

/// Writes one directory per page spec; the pixels are a pattern made from each page's seed.
/// A JPEG page with YCbCr photometric is fed RGB pixels.
void writeTiff(const std::string& path, const std::vector<PageSpec>& pages,
               const FileSpec& file = {});

/// Writes `pageCount` small greyscale pages whose pixels differ from page to page.
void writeMultipageTiff(const std::string& path, int pageCount, const FileSpec& file = {});

} // namespace plexifold::test
