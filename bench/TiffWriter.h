#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

typedef struct tiff TIFF;

namespace plexifold::bench {

// How one page is stored.
struct PageFormat {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitsPerSample = 8;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t photometric = 1;
    std::uint16_t compression = 1;
    std::uint16_t predictor = 1;
    std::uint32_t dpi = 300;
    std::uint32_t rowsPerStrip = 0; // 0: one strip for the whole page
    std::uint32_t tileSize = 0;     // not 0: square tiles of this size instead of strips
    int jpegQuality = 0;            // JPEG pages only; they are fed as RGB
};

// Writes a multipage TIFF file with libtiff, one page at a time. Every failure
// throws std::runtime_error naming the file.
class TiffWriter {
public:
    explicit TiffWriter(const std::filesystem::path& path);
    ~TiffWriter();
    TiffWriter(const TiffWriter&) = delete;
    TiffWriter& operator=(const TiffWriter&) = delete;

    /// Writes one page: `pixels` holds its rows, each padded to whole bytes.
    void writePage(const PageFormat& format, const std::vector<std::uint8_t>& pixels, int index,
                   int total);

    /// Finishes the file; the destructor alone leaves it unfinished.
    void close();

private:
    void setFields(const PageFormat& format, int index, int total);
    void writeStrips(const PageFormat& format, const std::vector<std::uint8_t>& pixels);
    void writeTiles(const PageFormat& format, const std::vector<std::uint8_t>& pixels);
    [[noreturn]] void fail(const char* what) const;

    std::filesystem::path m_path;
    TIFF* m_tiff = nullptr;
};

} // namespace plexifold::bench
