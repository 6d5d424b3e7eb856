#pragma once

#include <gtest/gtest.h>

#include "PageImageDocument.h"
#include "RawTiff.h"
#include "TempFolder.h"
#include "FileBytes.h"

// Small helpers for tests that build their source files with RawTiff.
namespace plexifold::test {

using Bytes = std::vector<std::uint8_t>;
using Entries = std::vector<RawTiff::Entry>;

inline Bytes filled(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 13 + seed);
    return bytes;
}

// Writes `source` into the folder, splits its first page and returns the page file's path.
inline std::string splitFirstPage(const TempFolder& folder, const Bytes& source) {
    writeFileBytes(folder.file("source.tif"), source);
    imaging::PageImageDocument document;
    EXPECT_TRUE(document.LoadFile(folder.file("source.tif"))) << document.errorText();
    document.GetPage(0).SaveFile(folder.file("page.tif"));
    return folder.file("page.tif");
}

inline Bytes singlePage(RawTiff& tiff, const Entries& entries) {
    tiff.setFirstDirectory(tiff.addDirectory(entries));
    return tiff.data();
}

inline Bytes slice(const Bytes& file, std::uint64_t offset, std::uint64_t length) {
    EXPECT_LE(offset + length, file.size());
    if (offset + length > file.size())
        return {};
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(offset),
                 file.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

} // namespace plexifold::test
