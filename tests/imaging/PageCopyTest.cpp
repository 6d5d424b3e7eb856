// Splits libtiff-written files of every kind and checks each page file against its
// source page with libtiff: tags, raw strips and tiles, decoded pixels, owned directories.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "PageImageDocument.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

namespace plexifold::test {
namespace {

using imaging::PageImageDocument;

struct CopyCase {
    const char* name;
    PageSpec page; // each file holds three pages of this kind, with different pixels
    FileSpec file;
    bool bigTiffOut; // whether the page files must be BigTIFF
};

PageSpec spec(std::uint16_t compression, std::uint16_t photometric, std::uint16_t bits,
              std::uint16_t samples) {
    PageSpec page;
    page.compression = compression;
    page.photometric = photometric;
    page.bitsPerSample = bits;
    page.samplesPerPixel = samples;
    return page;
}

PageSpec with(PageSpec page, void (*change)(PageSpec&)) {
    change(page);
    return page;
}

const CopyCase copyCases[] = {
    {"BilevelG4", spec(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, 1, 1), {}, false},
    {"GreyLzwPredictorBigEndian",
     with(spec(COMPRESSION_LZW, PHOTOMETRIC_MINISBLACK, 8, 1),
          [](PageSpec& p) { p.predictor = 2; }),
     {false, true},
     false},
    {"RgbUncompressedBigTiff", spec(COMPRESSION_NONE, PHOTOMETRIC_RGB, 8, 3), {true, false}, false},
    {"RgbJpegTiledYCbCr",
     with(spec(COMPRESSION_JPEG, PHOTOMETRIC_YCBCR, 8, 3), [](PageSpec& p) { p.tileSize = 32; }),
     {},
     false},
    {"PlanarSeparateBigTiffBigEndian",
     with(spec(COMPRESSION_LZW, PHOTOMETRIC_RGB, 8, 3),
          [](PageSpec& p) { p.planarConfig = PLANARCONFIG_SEPARATE; }),
     {true, true},
     false},
    {"Grey16DeflateTiledBigEndian",
     with(spec(COMPRESSION_ADOBE_DEFLATE, PHOTOMETRIC_MINISBLACK, 16, 1),
          [](PageSpec& p) { p.tileSize = 16; }),
     {false, true},
     false},
    {"PalettePackBits", spec(COMPRESSION_PACKBITS, PHOTOMETRIC_PALETTE, 8, 1), {}, false},
    {"ExifGpsIccXmpPrivateBigEndian",
     with(spec(COMPRESSION_LZW, PHOTOMETRIC_RGB, 8, 3), [](PageSpec& p) { p.richMetadata = true; }),
     {false, true},
     false},
    {"ExifGpsIccXmpPrivateBigTiff",
     with(spec(COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK, 8, 1),
          [](PageSpec& p) { p.richMetadata = true; }),
     {true, false},
     false},
    {"SubIfdsTiled",
     with(spec(COMPRESSION_LZW, PHOTOMETRIC_MINISBLACK, 8, 1),
          [](PageSpec& p) { p.subIfds = 2, p.tileSize = 16; }),
     {},
     false},
    {"SubIfdsBigTiffBigEndian",
     with(spec(COMPRESSION_PACKBITS, PHOTOMETRIC_RGB, 8, 3), [](PageSpec& p) { p.subIfds = 1; }),
     {true, true},
     false},
    {"BigTiffLong8TagStaysBigTiff",
     with(spec(COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK, 8, 1),
          [](PageSpec& p) {
              p.privateLong8 = {1, 0x123456789abcULL, 3};
          }),
     {true, false},
     true},
};

void PrintTo(const CopyCase& c, std::ostream* out) {
    *out << c.name;
}

class PageCopy : public testing::TestWithParam<CopyCase> {};

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

TEST_P(PageCopy, EachPageFileMatchesItsSourcePage) {
    const CopyCase& c = GetParam();
    TempFolder folder;
    std::vector<PageSpec> pages(3, c.page);
    for (std::uint32_t i = 0; i < pages.size(); ++i)
        pages[i].seed = i + 1;
    const std::string sourcePath = folder.file("source.tif");
    writeTiff(sourcePath, pages, c.file);

    PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(sourcePath)) << document.errorText();
    ASSERT_EQ(document.PageCount(), 3);
    TiffInspector source(sourcePath);
    ASSERT_TRUE(source.opened());
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string pagePath = folder.file("page" + std::to_string(i + 1) + ".tif");
        const std::uint64_t written = document.GetPage(i).SaveFile(pagePath);
        EXPECT_EQ(written, std::filesystem::file_size(pagePath));

        TiffInspector page(pagePath);
        ASSERT_TRUE(page.opened()) << testing::PrintToString(page.complaints());
        EXPECT_EQ(page.directoryCount(), 1);
        EXPECT_EQ(page.bigEndian(), c.file.bigEndian);
        EXPECT_EQ(page.bigTiff(), c.bigTiffOut);
        const DirectorySnapshot expected = source.page(i);
        ASSERT_FALSE(expected.rawData.empty());
        ASSERT_FALSE(expected.pixels.empty());
        ASSERT_EQ(expected.children.size(), (c.page.richMetadata ? 2u : 0u) + c.page.subIfds);
        if (c.page.richMetadata) {
            ASSERT_EQ(expected.values.count(TIFFTAG_ICCPROFILE) +
                          expected.values.count(TIFFTAG_XMLPACKET) +
                          expected.values.count(TIFFTAG_PHOTOSHOP) +
                          expected.values.count(TIFFTAG_RICHTIFFIPTC) +
                          expected.values.count(PrivateBytesTag),
                      5u);
        }
        expectSame(expected, page.page(0));
        EXPECT_EQ(page.complaints(), std::vector<std::string>{});
    }
    EXPECT_EQ(source.complaints(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PageCopy, testing::ValuesIn(copyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file of pages of different kinds, each page split on its own.
TEST(PageCopyMixed, PagesOfDifferentKindsInOneFile) {
    TempFolder folder;
    const std::vector<PageSpec> pages = {
        spec(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, 1, 1),
        with(spec(COMPRESSION_JPEG, PHOTOMETRIC_YCBCR, 8, 3), [](PageSpec& p) { p.tileSize = 16; }),
        spec(COMPRESSION_PACKBITS, PHOTOMETRIC_PALETTE, 8, 1),
        with(spec(COMPRESSION_NONE, PHOTOMETRIC_RGB, 8, 3),
             [](PageSpec& p) { p.richMetadata = true; }),
    };
    const std::string sourcePath = folder.file("mixed.tif");
    writeTiff(sourcePath, pages);
    PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(sourcePath)) << document.errorText();
    ASSERT_EQ(document.PageCount(), 4);
    TiffInspector source(sourcePath);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string pagePath = folder.file("p" + std::to_string(i) + ".tif");
        document.GetPage(i).SaveFile(pagePath);
        TiffInspector page(pagePath);
        expectSame(source.page(i), page.page(0));
        EXPECT_EQ(page.complaints(), std::vector<std::string>{});
    }
}

} // namespace
} // namespace plexifold::test
