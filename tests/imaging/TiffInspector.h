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

/// Expects libtiff to see the same tags, data and pixels in both, owned directories included.
void expectSame(const DirectorySnapshot& source, const DirectorySnapshot& page);

// A TIFF file opened with libtiff, which collects what libtiff complains about.
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

    /// Errors and warnings libtiff gave, except for tags it does not know.
    const std::vector<std::string>& complaints() const { return m_complaints; }

    TIFF* tiff() const { return m_tif; }

private:
    DirectorySnapshot snapshot(bool image);
    void addChildren(DirectorySnapshot& snapshot);

    TIFF* m_tif = nullptr;
    std::vector<std::string> m_complaints;
};

} // namespace plexifold::test
