#include "TiffTypes.h"

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
    case TiffTag::SubIfds:
        return "SubIFDs";
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
