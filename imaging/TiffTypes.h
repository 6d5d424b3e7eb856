#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace plexifold::imaging {

// Field types of TIFF and BigTIFF directory entries.
namespace TiffType {
inline constexpr std::uint16_t Short = 3;
inline constexpr std::uint16_t Long = 4;
inline constexpr std::uint16_t Ifd = 13;
inline constexpr std::uint16_t Long8 = 16;
inline constexpr std::uint16_t SLong8 = 17;
inline constexpr std::uint16_t Ifd8 = 18;
} // namespace TiffType

// Tags whose values the page copier follows, rewrites or drops.
namespace TiffTag {
inline constexpr std::uint16_t ImageWidth = 256;
inline constexpr std::uint16_t ImageLength = 257;
inline constexpr std::uint16_t BitsPerSample = 258;
inline constexpr std::uint16_t Compression = 259;
inline constexpr std::uint16_t Photometric = 262;
inline constexpr std::uint16_t StripOffsets = 273;
inline constexpr std::uint16_t SamplesPerPixel = 277;
inline constexpr std::uint16_t RowsPerStrip = 278;
inline constexpr std::uint16_t StripByteCounts = 279;
inline constexpr std::uint16_t PlanarConfig = 284;
inline constexpr std::uint16_t FreeOffsets = 288;
inline constexpr std::uint16_t FreeByteCounts = 289;
inline constexpr std::uint16_t TileWidth = 322;
inline constexpr std::uint16_t TileLength = 323;
inline constexpr std::uint16_t TileOffsets = 324;
inline constexpr std::uint16_t TileByteCounts = 325;
inline constexpr std::uint16_t SubIfds = 330;
inline constexpr std::uint16_t ExtraSamples = 338;
inline constexpr std::uint16_t SampleFormat = 339;
inline constexpr std::uint16_t JpegInterchange = 513;
inline constexpr std::uint16_t JpegInterchangeLength = 514;
inline constexpr std::uint16_t JpegQTables = 519;
inline constexpr std::uint16_t JpegDcTables = 520;
inline constexpr std::uint16_t JpegAcTables = 521;
inline constexpr std::uint16_t Exif = 34665;
inline constexpr std::uint16_t Gps = 34853;
inline constexpr std::uint16_t Interoperability = 40965;
} // namespace TiffTag

// Bounds that keep a hostile file from exhausting memory or time.
namespace TiffLimits {
inline constexpr std::uint64_t MaxEntriesPerDirectory = 65535;
inline constexpr std::size_t MaxPages = std::size_t{1} << 20;
inline constexpr std::size_t MaxDirectoriesPerPage = 256;
inline constexpr std::size_t MaxEntriesPerPage = std::size_t{1} << 18;
inline constexpr int MaxDepth = 8;
inline constexpr std::uint64_t MaxJpegTables = 64;

/// The largest page file an honest source of `sourceSize` bytes gives, and the most the
/// page files of one source add up to: image data is stored once, but offset arrays may
/// widen fourfold (SHORT to LONG8). More means values that overlap at will or pages that
/// share their data many times over, a damaged or hostile file.
constexpr std::uint64_t maxPageFileSize(std::uint64_t sourceSize) {
    constexpr std::uint64_t slack = std::uint64_t{64} << 20;
    return sourceSize < (std::uint64_t{1} << 60) ? 4 * sourceSize + slack : UINT64_MAX / 2;
}
} // namespace TiffLimits

// One directory entry as stored: `field` holds the value itself when it fits
// (4 bytes in TIFF, 8 in BigTIFF), else the offset of the value.
struct TiffEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    std::array<std::uint8_t, 8> field{};
};

/// The size in bytes of one value of `type`; 0 for a type code TIFF does not define.
std::uint32_t typeSize(std::uint16_t type);

/// True for LONG8, SLONG8 and IFD8, which only BigTIFF can hold.
bool isEightByteType(std::uint16_t type);

/// True for the unsigned integer types an offset or length array may use.
bool isOffsetType(std::uint16_t type);

/// True for the tags a reader needs to decode the image: its size, sample layout,
/// compression and photometric, the strips or tiles, colour map, JPEG tables and the like.
/// A broken entry of another tag can be left out and the image still reads.
bool isImageTag(std::uint16_t tag);

/// True for EXIF, GPS and Interoperability pointers: metadata the image can do without.
bool isMetadataPointerTag(std::uint16_t tag);

/// True for the tags whose values point at directories the page owns (SubIFDs, EXIF, GPS,
/// Interoperability).
bool isDirectoryPointerTag(std::uint16_t tag);

/// A tag's name for messages: "StripOffsets", or "tag 65000".
std::string tagName(std::uint16_t tag);

} // namespace plexifold::imaging
