#include "TiffInspector.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
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

std::vector<std::vector<std::uint8_t>> rawData(TIFF* tif) {
    std::vector<std::vector<std::uint8_t>> items;
    const bool tiled = TIFFIsTiled(tif);
    std::uint64_t* counts = nullptr;
    if (!TIFFGetField(tif, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts))
        return items;
    const std::uint32_t n = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    for (std::uint32_t i = 0; i < n; ++i) {
        std::vector<std::uint8_t> item(counts[i]);
        const tmsize_t got =
            tiled ? TIFFReadRawTile(tif, i, item.data(), static_cast<tmsize_t>(item.size()))
                  : TIFFReadRawStrip(tif, i, item.data(), static_cast<tmsize_t>(item.size()));
        item.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<std::uint32_t> pixels(TIFF* tif) {
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
        result.pixels = pixels(m_tif);
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

void expectSame(const DirectorySnapshot& source, const DirectorySnapshot& page) {
    EXPECT_EQ(source.printed, page.printed);
    EXPECT_EQ(source.values, page.values);
    EXPECT_EQ(source.rawData, page.rawData);
    EXPECT_EQ(source.pixels, page.pixels);
    ASSERT_EQ(source.children.size(), page.children.size());
    for (std::size_t i = 0; i < source.children.size(); ++i) {
        SCOPED_TRACE("owned directory " + std::to_string(i + 1));
        expectSame(source.children[i], page.children[i]);
    }
}

} // namespace plexifold::test
