#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

typedef struct tiff TIFF;

namespace plexifold::test {

// What libtiff sees of one directory, for comparing a page file with its source page.
struct DirectorySnapshot {
    std::string printed;                                       // TIFFPrintDirectory, offsets cut
    std::map<std::uint32_t, std::vector<std::uint8_t>> values; // raw values of custom tags
    std::vector<std::vector<std::uint8_t>> rawData;            // strips or tiles as stored
    std::vector<std::uint32_t> pixels;                         // decoded RGBA, when libtiff can
    std::vector<DirectorySnapshot> children;                   // EXIF, GPS, then SubIFDs
};

// A TIFF file opened with libtiff, the independent reader, which collects what libtiff
// complains about instead of printing it.
class TiffInspector {
public:
    explicit TiffInspector(const std::string& path);
    ~TiffInspector();
    TiffInspector(const TiffInspector&) = delete;
    TiffInspector& operator=(const TiffInspector&) = delete;

    bool opened() const { return m_tif != nullptr; }
    bool bigEndian() const;
    bool bigTiff() const;
    int directoryCount() const;

    /// The page at `index` of the top-level chain, with its EXIF, GPS and SubIFD directories.
    DirectorySnapshot page(int index);

    /// The page at `index` decoded to RGBA; empty when libtiff cannot decode it.
    std::vector<std::uint32_t> pixels(int index);

    /// Errors and warnings libtiff gave, except for tags it does not know.
    const std::vector<std::string>& complaints() const { return m_complaints; }

    TIFF* tiff() const { return m_tif; }

private:
    DirectorySnapshot snapshot(bool image);
    void addChildren(DirectorySnapshot& snapshot);

    TIFF* m_tif = nullptr;
    std::vector<std::string> m_complaints;
};

/// The number of directories libtiff reads one after the other, or -1 when it cannot open
/// the file.
int libtiffDirectoryCount(const std::string& path);

/// The raw (undecoded) bytes of every strip or tile of directory `directory` (from 0);
/// empty when libtiff cannot read one.
std::vector<std::vector<std::uint8_t>> libtiffRawData(const std::string& path, int directory);

/// The number of strips or tiles of directory `directory`, and the raw bytes of piece
/// `index` (empty when libtiff cannot read it); for pages too big to read whole.
std::uint32_t libtiffPieceCount(const std::string& path, int directory);
std::vector<std::uint8_t> libtiffRawPiece(const std::string& path, int directory,
                                          std::uint32_t index);

} // namespace plexifold::test
