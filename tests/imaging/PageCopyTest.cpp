// Splits libtiff-written files of every kind and checks each page file against its
// source page with libtiff: tags, raw strips and tiles, decoded pixels, owned directories.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "PageImageDocument.h"
#include "SameAsSource.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

namespace plexifold::test {
namespace {

using imaging::PageImageDocument;

struct CopyCase {
    const char* name;
    std::vector<PageSpec> pages;
    FileSpec file;
    bool bigTiffOut; // whether the page files must be BigTIFF
};

PageSpec spec(std::uint16_t compression, std::uint16_t photometric, std::uint16_t bits,
              std::uint16_t samples, void (*change)(PageSpec&) = nullptr) {
    PageSpec page;
    page.compression = compression;
    page.photometric = photometric;
    page.bitsPerSample = bits;
    page.samplesPerPixel = samples;
    if (change)
        change(page);
    return page;
}

// Three pages of one kind, each with its own pixels.
std::vector<PageSpec> three(const PageSpec& page) {
    std::vector<PageSpec> pages(3, page);
    for (std::uint32_t i = 0; i < pages.size(); ++i)
        pages[i].seed = i + 1;
    return pages;
}

const CopyCase copyCases[] = {
    {"BilevelG4", three(spec(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, 1, 1)), {}, false},
    {"GreyLzwPredictorBigEndian",
     three(spec(COMPRESSION_LZW, PHOTOMETRIC_MINISBLACK, 8, 1, [](auto& p) { p.predictor = 2; })),
     {false, true},
     false},
    {"RgbUncompressedBigTiff",
     three(spec(COMPRESSION_NONE, PHOTOMETRIC_RGB, 8, 3)),
     {true, false},
     false},
    {"RgbJpegTiledYCbCr",
     three(spec(COMPRESSION_JPEG, PHOTOMETRIC_YCBCR, 8, 3, [](auto& p) { p.tileSize = 32; })),
     {},
     false},
    {"PlanarSeparateBigTiffBigEndian",
     three(spec(COMPRESSION_LZW, PHOTOMETRIC_RGB, 8, 3,
                [](auto& p) { p.planarConfig = PLANARCONFIG_SEPARATE; })),
     {true, true},
     false},
    {"Grey16DeflateTiledBigEndian",
     three(spec(COMPRESSION_ADOBE_DEFLATE, PHOTOMETRIC_MINISBLACK, 16, 1,
                [](auto& p) { p.tileSize = 16; })),
     {false, true},
     false},
    {"PalettePackBits", three(spec(COMPRESSION_PACKBITS, PHOTOMETRIC_PALETTE, 8, 1)), {}, false},
    {"ExifGpsIccXmpPrivateBigEndian",
     three(spec(COMPRESSION_LZW, PHOTOMETRIC_RGB, 8, 3, [](auto& p) { p.richMetadata = true; })),
     {false, true},
     false},
    {"ExifGpsIccXmpPrivateBigTiff",
     three(spec(COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK, 8, 1,
                [](auto& p) { p.richMetadata = true; })),
     {true, false},
     false},
    {"SubIfdsTiled",
     three(spec(COMPRESSION_LZW, PHOTOMETRIC_MINISBLACK, 8, 1,
                [](auto& p) { p.subIfds = 2, p.tileSize = 16; })),
     {},
     false},
    {"SubIfdsBigTiffBigEndian",
     three(spec(COMPRESSION_PACKBITS, PHOTOMETRIC_RGB, 8, 3, [](auto& p) { p.subIfds = 1; })),
     {true, true},
     false},
    {"BigTiffLong8TagStaysBigTiff",
     three(spec(COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK, 8, 1,
                [](auto& p) {
                    p.privateLong8 = {1, 0x123456789abcULL, 3};
                })),
     {true, false},
     true},
    {"PagesOfDifferentKinds",
     {spec(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, 1, 1),
      spec(COMPRESSION_JPEG, PHOTOMETRIC_YCBCR, 8, 3, [](auto& p) { p.tileSize = 16; }),
      spec(COMPRESSION_PACKBITS, PHOTOMETRIC_PALETTE, 8, 1),
      spec(COMPRESSION_NONE, PHOTOMETRIC_RGB, 8, 3, [](auto& p) { p.richMetadata = true; })},
     {},
     false},
    // One strip a page: its byte counts are honest and must be kept as they are.
    {"OneStripEach",
     {spec(COMPRESSION_NONE, PHOTOMETRIC_MINISWHITE, 1, 1,
           [](auto& p) { p.width = 61, p.rowsPerStrip = p.height; }),
      spec(COMPRESSION_NONE, PHOTOMETRIC_RGB, 8, 3, [](auto& p) { p.rowsPerStrip = p.height; }),
      spec(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, 1, 1,
           [](auto& p) { p.rowsPerStrip = p.height; })},
     {},
     false},
};

void PrintTo(const CopyCase& c, std::ostream* out) {
    *out << c.name;
}

// Guards against a comparison of nothing: libtiff must see in the source what the page asked for.
void expectRichSource(const PageSpec& spec, const DirectorySnapshot& source) {
    ASSERT_FALSE(source.rawData.empty());
    ASSERT_FALSE(source.pixels.empty());
    EXPECT_EQ(source.children.size(), (spec.richMetadata ? 2u : 0u) + spec.subIfds);
    if (!spec.richMetadata)
        return;
    for (const std::uint32_t tag :
         std::vector<std::uint32_t>{TIFFTAG_ICCPROFILE, TIFFTAG_XMLPACKET, TIFFTAG_PHOTOSHOP,
                                    TIFFTAG_RICHTIFFIPTC, PrivateBytesTag})
        EXPECT_EQ(source.values.count(tag), 1u) << "tag " << tag;
}

class PageCopy : public testing::TestWithParam<CopyCase> {};

TEST_P(PageCopy, EachPageFileMatchesItsSourcePage) {
    const CopyCase& c = GetParam();
    TempFolder folder;
    const std::string sourcePath = folder.file("source.tif");
    writeTiff(sourcePath, c.pages, c.file);
    const int count = static_cast<int>(c.pages.size());

    PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(sourcePath)) << document.errorText();
    ASSERT_EQ(document.PageCount(), count);
    TiffInspector source(sourcePath);
    ASSERT_TRUE(source.opened());
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string pagePath = folder.file("page" + std::to_string(i + 1) + ".tif");
        std::vector<std::string> warnings;
        const std::uint64_t written =
            document.GetPage(i).SaveFile(pagePath, &warnings, nullptr, {.verify = true});
        EXPECT_EQ(written, std::filesystem::file_size(pagePath));
        EXPECT_EQ(warnings, std::vector<std::string>{});

        TiffInspector page(pagePath);
        ASSERT_TRUE(page.opened()) << testing::PrintToString(page.complaints());
        EXPECT_EQ(page.directoryCount(), 1);
        EXPECT_EQ(page.bigEndian(), c.file.bigEndian);
        EXPECT_EQ(page.bigTiff(), c.bigTiffOut);
        const DirectorySnapshot expected = source.page(i);
        expectRichSource(c.pages[static_cast<std::size_t>(i)], expected);
        expectSame(expected, page.page(0));
        EXPECT_EQ(page.complaints(), std::vector<std::string>{});
    }
    EXPECT_EQ(source.complaints(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PageCopy, testing::ValuesIn(copyCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace plexifold::test
