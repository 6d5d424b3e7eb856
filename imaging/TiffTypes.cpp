#include "TiffTypes.h"

#include <algorithm>
#include <iterator>

namespace plexifold::imaging {

std::uint32_t typeSize(std::uint16_t type) {
    // BYTE ASCII SHORT LONG RATIONAL SBYTE UNDEFINED SSHORT SLONG SRATIONAL FLOAT DOUBLE IFD,
    // two unassigned codes, then LONG8 SLONG8 IFD8.
    static constexpr std::uint32_t sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4,
                                              8, 4, 8, 4, 0, 0, 8, 8, 8};
    return type < std::size(sizes) ? sizes[type] : 0;
}

bool isEightByteType(std::uint16_t type) {
    return type == TiffType::Long8 || type == TiffType::SLong8 || type == TiffType::Ifd8;
}

bool isOffsetType(std::uint16_t type) {
    return type == TiffType::Short || type == TiffType::Long || type == TiffType::Ifd ||
           type == TiffType::Long8 || type == TiffType::Ifd8;
}

bool isImageTag(std::uint16_t tag) {
    // ImageWidth to Photometric, FillOrder, strips, SamplesPerPixel, RowsPerStrip,
    // PlanarConfig, T4/T6 options, TransferFunction, Predictor, ColorMap, tiles, InkSet,
    // ExtraSamples, SampleFormat, JPEGTables, the old-style JPEG tags and YCbCr.
    static constexpr std::uint16_t tags[] = {256, 257, 258, 259, 262, 266, 273, 277, 278, 279,
                                             284, 292, 293, 301, 317, 320, 322, 323, 324, 325,
                                             332, 338, 339, 347, 529, 530, 531, 532};
    return std::find(std::begin(tags), std::end(tags), tag) != std::end(tags) ||
           (tag >= 512 && tag <= 521);
}

bool isMetadataPointerTag(std::uint16_t tag) {
    return tag == TiffTag::Exif || tag == TiffTag::Gps || tag == TiffTag::Interoperability;
}

bool isDirectoryPointerTag(std::uint16_t tag) {
    return tag == TiffTag::SubIfds || tag == TiffTag::Exif || tag == TiffTag::Gps ||
           tag == TiffTag::Interoperability;
}

std::string tagName(std::uint16_t tag) {
    switch (tag) {
    case TiffTag::StripOffsets:
        return "StripOffsets";
    case TiffTag::StripByteCounts:
        return "StripByteCounts";
    case TiffTag::TileOffsets:
        return "TileOffsets";
    case TiffTag::TileByteCounts:
        return "TileByteCounts";
    case TiffTag::ImageWidth:
        return "ImageWidth";
    case TiffTag::ImageLength:
        return "ImageLength";
    case TiffTag::BitsPerSample:
        return "BitsPerSample";
    case TiffTag::SamplesPerPixel:
        return "SamplesPerPixel";
    case TiffTag::RowsPerStrip:
        return "RowsPerStrip";
    case TiffTag::PlanarConfig:
        return "PlanarConfiguration";
    case TiffTag::TileWidth:
        return "TileWidth";
    case TiffTag::TileLength:
        return "TileLength";
    case TiffTag::ExtraSamples:
        return "ExtraSamples";
    case TiffTag::SampleFormat:
        return "SampleFormat";
    case TiffTag::SubIfds:
        return "SubIFDs";
    case TiffTag::Exif:
        return "ExifIFD";
    case TiffTag::Gps:
        return "GPSIFD";
    case TiffTag::Interoperability:
        return "InteroperabilityIFD";
    case TiffTag::JpegInterchange:
        return "JPEGInterchangeFormat";
    case TiffTag::JpegInterchangeLength:
        return "JPEGInterchangeFormatLength";
    case TiffTag::JpegQTables:
        return "JPEGQTables";
    case TiffTag::JpegDcTables:
        return "JPEGDCTables";
    case TiffTag::JpegAcTables:
        return "JPEGACTables";
    default:
        return "tag " + std::to_string(tag);
    }
}

} // namespace plexifold::imaging
