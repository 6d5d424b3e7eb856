// Damaged and hostile files: LoadFile refuses them with a reason, or the page that
// cannot be copied fails its SaveFile with a reason, or a page written leaves out or mends
// what is broken with a warning; nothing crashes, hangs or is left half-written, and every
// page written opens in libtiff and decodes as its source page does.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "FileBytes.h"
#include "FuzzCheck.h"
#include "HostileFiles.h"
#include "PageImageDocument.h"
#include "RawTiff.h"
#include "TempFolder.h"
#include "TiffInspector.h"

namespace plexifold::test {
namespace {

using imaging::PageImageDocument;
using imaging::TiffError;
using Bytes = std::vector<std::uint8_t>;

// Whether libtiff may decode the current page of `tif` whole: bombs it may not.
bool smallEnoughToDecode(TIFF* tif) {
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    return std::uint64_t{width} * height <= (1u << 24);
}

void expectFailure(PageImageDocument& document, int index, const std::string& output,
                   const std::string& reason) {
    try {
        document.GetPage(index).SaveFile(output);
        ADD_FAILURE() << "SaveFile did not fail";
    } catch (const TiffError& error) {
        EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(output));
}

// What libtiff decodes of the source page, the page file gives.
void expectWritten(TiffInspector& source, int index, const std::string& output) {
    TiffInspector page(output);
    ASSERT_TRUE(page.opened());
    EXPECT_EQ(page.directoryCount(), 1);
    EXPECT_EQ(page.complaints(), std::vector<std::string>{});
    if (!source.opened() || !smallEnoughToDecode(page.tiff()))
        return;
    const auto pixels = source.pixels(index);
    if (!pixels.empty()) {
        EXPECT_EQ(page.pixels(0), pixels);
    }
}

class HostileDocument : public testing::TestWithParam<HostileFile> {};

TEST_P(HostileDocument, RefusedWithAReasonOrCopied) {
    const HostileFile& c = GetParam();
    TempFolder folder;
    const std::string input = folder.file("input.tif");
    writeFileBytes(input, c.bytes());

    PageImageDocument document;
    const bool loaded = document.LoadFile(input);
    if (c.refused()) {
        EXPECT_FALSE(loaded);
        EXPECT_NE(document.errorText().find(c.reason), std::string::npos) << document.errorText();
        EXPECT_EQ(document.PageCount(), 0);
        return;
    }
    ASSERT_TRUE(loaded) << document.errorText();
    ASSERT_EQ(document.PageCount(), c.pages);
    TiffInspector source(input);
    if (c.libtiffRefuses) {
        EXPECT_FALSE(source.opened());
    }
    std::vector<std::string> warnings;
    for (int i = 0; i < c.pages; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string output = folder.file("page" + std::to_string(i + 1) + ".tif");
        if (c.fails(i + 1)) {
            expectFailure(document, i, output, i + 1 == c.failing ? c.reason : "");
        } else {
            document.GetPage(i).SaveFile(output, &warnings);
            expectWritten(source, i, output);
        }
    }
    if (c.failing == 0) {
        const std::string all = testing::PrintToString(warnings);
        EXPECT_EQ(warnings.size(), c.reason.empty() ? 0u : 1u) << all;
        EXPECT_NE(all.find(c.reason), std::string::npos) << all;
    }
    for (const std::string& name : folder.names())
        EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
}

// The guarantees the fuzz targets check: reasons given, failed saves change nothing, saved
// pages load back and save again into the same bytes.
TEST_P(HostileDocument, KeepsTheFuzzTargetsGuarantees) {
    const auto bytes = GetParam().bytes();
    const TempFolder scratch;
    EXPECT_EQ(
        fuzz::checkInput(bytes.data(), bytes.size(), scratch.path(), fuzz::CheckMode::SaveReload),
        "");
}

// Pages that each send the reader through the same megabyte of JPEG stream without an end.
TEST(HostileDocumentBounds, PagesStopMeasuringWhatTheyShareAfterAFewTimesTheFile) {
    RawTiff tiff;
    Bytes stream = {0xff, 0xd8, 0xff, 0xda, 0, 2};
    stream.resize(1 << 20, 0x42);
    const std::uint64_t at = tiff.append(stream);
    std::vector<std::uint64_t> pages;
    for (int i = 0; i < 80; ++i) {
        auto entries = tiff.greyPage(16, 16, {0xfffff000}, {64});
        entries[3] = tiff.shorts(259, {6}); // compression
        entries.push_back(tiff.longs(513, {at}));
        pages.push_back(tiff.addDirectory(entries));
    }
    tiff.setFirstDirectory(pages[0]);
    for (std::size_t i = 0; i + 1 < pages.size(); ++i)
        tiff.setNext(pages[i], pages[i + 1]);
    TempFolder folder;
    writeFileBytes(folder.file("input.tif"), tiff.data());
    PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(folder.file("input.tif"))) << document.errorText();

    int stopped = 0;
    for (int i = 0; i < document.PageCount(); ++i)
        try {
            document.GetPage(i).SaveFile(folder.file("page.tif"));
        } catch (const TiffError& error) {
            stopped += std::string(error.what()).find("over and over") != std::string::npos;
        }
    EXPECT_GT(stopped, 0);
    EXPECT_LT(stopped, 20); // 4 times the file and 64 MiB are walked first
}

INSTANTIATE_TEST_SUITE_P(Files, HostileDocument, testing::ValuesIn(hostileFiles()),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace plexifold::test
