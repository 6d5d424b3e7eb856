#include "TiffInspector.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <tiffio.h>

namespace plexifold::test {
namespace {

int collect(TIFF*, void* user, const char* module, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    const std::string message = std::string(module ? module : "") + ": " + text;
    if (message.find("Unknown field with tag") == std::string::npos)
        static_cast<std::vector<std::string>*>(user)->push_back(message);
    return 1;
}

// Lines that name where something is stored differ between any two files.
std::string withoutOffsets(const std::string& printed) {
    std::istringstream lines(printed);
    std::string line, kept;
    while (std::getline(lines, line))
        if (line.find("Directory at offset") == std::string::npos &&
            line.find("IFDOffset") == std::string::npos && line.find("SubIFD") == std::string::npos)
            kept += line + "\n";
    return kept;
}

std::string printDirectory(TIFF* tif) {
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    TIFFPrintDirectory(tif, stream, 0);
    std::fclose(stream);
    std::string text(buffer, size);
    std::free(buffer);
    return withoutOffsets(text);
}

std::vector<std::uint8_t> bytesOf(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return data ? std::vector<std::uint8_t>(bytes, bytes + size) : std::vector<std::uint8_t>{};
}

// The value of a custom tag as libtiff holds it, read the way libtiff's own printer does.
std::vector<std::uint8_t> customValue(TIFF* tif, const TIFFField* field) {
    const std::uint32_t tag = TIFFFieldTag(field);
    const auto width = static_cast<std::size_t>(TIFFFieldSetGetSize(field));
    void* data = nullptr;
    if (TIFFFieldPassCount(field)) {
        if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) {
            std::uint32_t count = 0;
            return TIFFGetField(tif, tag, &count, &data) ? bytesOf(data, count * width)
                                                         : std::vector<std::uint8_t>{};
        }
        std::uint16_t count = 0;
        return TIFFGetField(tif, tag, &count, &data) ? bytesOf(data, count * width)
                                                     : std::vector<std::uint8_t>{};
    }
    if (TIFFFieldDataType(field) == TIFF_ASCII) {
        char* text = nullptr;
        return TIFFGetField(tif, tag, &text) && text ? bytesOf(text, std::strlen(text))
                                                     : std::vector<std::uint8_t>{};
    }
    const int count = TIFFFieldReadCount(field);
    if (count > 1)
        return TIFFGetField(tif, tag, &data)
                   ? bytesOf(data, static_cast<std::size_t>(count) * width)
                   : std::vector<std::uint8_t>{};
    if (count == 1 && width <= 8) {
        alignas(8) std::uint8_t value[8] = {};
        return TIFFGetField(tif, tag, value) ? bytesOf(value, width) : std::vector<std::uint8_t>{};
    }
    return {}; // left to the printed text
}

bool isPointerTag(std::uint32_t tag) {
    return tag == TIFFTAG_EXIFIFD || tag == TIFFTAG_GPSIFD || tag == TIFFTAG_SUBIFD ||
           tag == TIFFTAG_INTEROPERABILITYIFD;
}

std::uint32_t pieceCount(TIFF* tif) {
    return TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
}

// The raw bytes of piece `index`; false when libtiff cannot read them.
bool readPiece(TIFF* tif, std::uint32_t index, std::vector<std::uint8_t>& bytes) {
    const auto size = static_cast<tmsize_t>(TIFFGetStrileByteCount(tif, index));
    bytes.clear();
    if (size <= 0)
        return size == 0;
    bytes.resize(static_cast<std::size_t>(size));
    const tmsize_t read = TIFFIsTiled(tif) ? TIFFReadRawTile(tif, index, bytes.data(), size)
                                           : TIFFReadRawStrip(tif, index, bytes.data(), size);
    bytes.resize(read < 0 ? 0 : static_cast<std::size_t>(read));
    return read == size;
}

std::vector<std::vector<std::uint8_t>> rawData(TIFF* tif) {
    std::vector<std::vector<std::uint8_t>> items(pieceCount(tif));
    for (std::uint32_t i = 0; i < items.size(); ++i)
        readPiece(tif, i, items[i]);
    return items;
}

std::vector<std::uint32_t> decode(TIFF* tif) {
    char message[1024];
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    if (!TIFFRGBAImageOK(tif, message))
        return {};
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
    if (!TIFFReadRGBAImage(tif, width, height, raster.data(), 0))
        return {0xdeadbeef}; // differs from any image that could be read
    return raster;
}

} // namespace

TiffInspector::TiffInspector(const std::string& path) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, collect, &m_complaints);
    TIFFOpenOptionsSetWarningHandlerExtR(options, collect, &m_complaints);
    m_tif = TIFFOpenExt(path.c_str(), "r", options);
    TIFFOpenOptionsFree(options);
}

TiffInspector::~TiffInspector() {
    if (m_tif)
        TIFFClose(m_tif);
}

bool TiffInspector::bigEndian() const {
    return TIFFIsBigEndian(m_tif) != 0;
}

bool TiffInspector::bigTiff() const {
    return TIFFIsBigTIFF(m_tif) != 0;
}

int TiffInspector::directoryCount() const {
    return TIFFNumberOfDirectories(m_tif);
}

DirectorySnapshot TiffInspector::page(int index) {
    if (!TIFFSetDirectory(m_tif, static_cast<tdir_t>(index)))
        return {};
    return snapshot(true);
}

std::vector<std::uint32_t> TiffInspector::pixels(int index) {
    if (!TIFFSetDirectory(m_tif, static_cast<tdir_t>(index)))
        return {};
    const auto raster = decode(m_tif);
    return raster == std::vector<std::uint32_t>{0xdeadbeef} ? std::vector<std::uint32_t>{} : raster;
}

DirectorySnapshot TiffInspector::snapshot(bool image) {
    DirectorySnapshot result;
    result.printed = printDirectory(m_tif);
    for (int i = 0; i < TIFFGetTagListCount(m_tif); ++i) {
        const std::uint32_t tag = TIFFGetTagListEntry(m_tif, i);
        const TIFFField* field = TIFFFieldWithTag(m_tif, tag);
        if (field && !isPointerTag(tag))
            result.values[tag] = customValue(m_tif, field);
    }
    if (image) {
        result.rawData = rawData(m_tif);
        result.pixels = decode(m_tif);
        addChildren(result);
    }
    return result;
}

void TiffInspector::addChildren(DirectorySnapshot& result) {
    const std::uint64_t self = TIFFCurrentDirOffset(m_tif);
    std::uint64_t exif = 0, gps = 0;
    const bool hasExif = TIFFGetField(m_tif, TIFFTAG_EXIFIFD, &exif);
    const bool hasGps = TIFFGetField(m_tif, TIFFTAG_GPSIFD, &gps);
    std::uint16_t subCount = 0;
    std::uint64_t* subOffsets = nullptr;
    std::vector<std::uint64_t> subIfds;
    if (TIFFGetField(m_tif, TIFFTAG_SUBIFD, &subCount, &subOffsets))
        subIfds.assign(subOffsets, subOffsets + subCount);
    if (hasExif && TIFFReadEXIFDirectory(m_tif, exif))
        result.children.push_back(snapshot(false));
    if (hasGps && TIFFReadGPSDirectory(m_tif, gps))
        result.children.push_back(snapshot(false));
    for (const std::uint64_t offset : subIfds)
        if (TIFFSetSubDirectory(m_tif, offset))
            result.children.push_back(snapshot(true));
    TIFFSetSubDirectory(m_tif, self);
}

int libtiffDirectoryCount(const std::string& path) {
    const TiffInspector file(path);
    if (!file.opened())
        return -1;
    int count = 1;
    while (TIFFReadDirectory(file.tiff()))
        ++count;
    return count;
}

std::vector<std::vector<std::uint8_t>> libtiffRawData(const std::string& path, int directory) {
    const TiffInspector file(path);
    if (!file.opened() || !TIFFSetDirectory(file.tiff(), static_cast<tdir_t>(directory)))
        return {};
    std::vector<std::vector<std::uint8_t>> pieces(pieceCount(file.tiff()));
    for (std::uint32_t i = 0; i < pieces.size(); ++i)
        if (!readPiece(file.tiff(), i, pieces[i]))
            return {};
    return pieces;
}

std::uint32_t libtiffPieceCount(const std::string& path, int directory) {
    const TiffInspector file(path);
    return file.opened() && TIFFSetDirectory(file.tiff(), static_cast<tdir_t>(directory))
               ? pieceCount(file.tiff())
               : 0;
}

std::vector<std::uint8_t> libtiffRawPiece(const std::string& path, int directory,
                                          std::uint32_t index) {
    const TiffInspector file(path);
    std::vector<std::uint8_t> bytes;
    if (!file.opened() || !TIFFSetDirectory(file.tiff(), static_cast<tdir_t>(directory)) ||
        !readPiece(file.tiff(), index, bytes))
        bytes.clear();
    return bytes;
}

} // namespace plexifold::test
