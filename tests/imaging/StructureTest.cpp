// Structures written by hand: old-style JPEG, directories libtiff would not write, and the
// choice between TIFF and BigTIFF.
#include <functional>
#include <gtest/gtest.h>
#include <tiffio.h>

#include "HandMadePages.h"
#include "PagePlanner.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"
#include "TiffSource.h"

namespace plexifold::test {
namespace {

TEST(OldStyleJpeg, StreamAndTablesPointAtTheSameBytes) {
    RawTiff tiff;
    const Bytes stream = filled(300, 1);
    const std::uint64_t streamAt = tiff.append(stream);
    const Bytes qTable = filled(64, 2);
    Bytes dcTable = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i)
        dcTable.push_back(static_cast<std::uint8_t>(i));
    Bytes acTable = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
    acTable.resize(16 + 162, 0x33);
    const std::uint64_t qAt = tiff.append(qTable), dcAt = tiff.append(dcTable),
                        acAt = tiff.append(acTable);
    const Entries entries = {
        tiff.longs(256, {16}),  tiff.longs(257, {16}),       tiff.shorts(258, {8}),
        tiff.shorts(259, {6}),  tiff.shorts(262, {1}),       tiff.longs(273, {streamAt + 120}),
        tiff.shorts(277, {1}),  tiff.longs(278, {16}),       tiff.longs(279, {178}),
        tiff.shorts(512, {1}),  tiff.longs(513, {streamAt}), tiff.longs(514, {stream.size()}),
        tiff.longs(519, {qAt}), tiff.longs(520, {dcAt}),     tiff.longs(521, {acAt}),
    };
    TempFolder folder;
    const Bytes source = singlePage(tiff, entries);
    const std::string pagePath = splitFirstPage(folder, source);
    const Bytes page = readFileBytes(pagePath);

    TiffInspector inspector(pagePath);
    ASSERT_TRUE(inspector.opened());
    TIFF* tif = inspector.tiff();
    std::uint64_t streamOffset = 0, streamLength = 0;
    ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_JPEGIFOFFSET, &streamOffset));
    ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_JPEGIFBYTECOUNT, &streamLength));
    EXPECT_EQ(streamLength, stream.size());
    EXPECT_EQ(slice(page, streamOffset, streamLength), stream);
    const std::pair<ttag_t, const Bytes*> tables[] = {{TIFFTAG_JPEGQTABLES, &qTable},
                                                      {TIFFTAG_JPEGDCTABLES, &dcTable},
                                                      {TIFFTAG_JPEGACTABLES, &acTable}};
    for (const auto& [tag, expected] : tables) {
        SCOPED_TRACE("tag " + std::to_string(tag));
        std::uint32_t count = 0;
        const std::uint64_t* offsets = nullptr;
        ASSERT_TRUE(TIFFGetField(tif, tag, &count, &offsets));
        ASSERT_EQ(count, 1u);
        EXPECT_EQ(slice(page, offsets[0], expected->size()), *expected);
    }
    std::uint64_t* stripOffsets = nullptr;
    ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &stripOffsets));
    EXPECT_EQ(slice(page, stripOffsets[0], 178), slice(stream, 120, 178));
}

TEST(DirectoryEntries, SortedFirstOfRepeatsKeptFreeAndUntypedEntriesDropped) {
    RawTiff tiff;
    const std::uint64_t strip = tiff.append(filled(64, 3));
    Entries entries = tiff.greyPage(8, 8, {strip}, {64});
    std::reverse(entries.begin(), entries.end());
    entries.insert(entries.begin() + 3, RawTiff::ascii(305, "first writer"));
    entries.push_back(RawTiff::ascii(305, "second writer"));
    entries.push_back(tiff.longs(288, {strip}));
    entries.push_back(tiff.longs(289, {64}));
    entries.push_back({65003, 99, 4, {1, 2, 3, 4}});
    entries.push_back({65004, 0, 1, {1, 0, 0, 0}});
    entries.push_back(RawTiff::bytes(65005, 7, filled(37, 4)));
    TempFolder folder;
    const std::string pagePath = splitFirstPage(folder, singlePage(tiff, entries));

    const Bytes page = readFileBytes(pagePath);
    const auto directory = RawTiff::readDirectory(page, RawTiff::readHeader(page).first);
    std::vector<std::uint16_t> tags;
    for (const auto& entry : directory.entries)
        tags.push_back(entry.tag);
    EXPECT_EQ(tags, (std::vector<std::uint16_t>{256, 257, 258, 259, 262, 273, 277, 278, 279, 305,
                                                65005}));
    EXPECT_EQ(directory.find(305)->value, RawTiff::ascii(305, "first writer").value);
    EXPECT_EQ(directory.find(65005)->value, filled(37, 4));
    TiffInspector inspector(pagePath);
    EXPECT_EQ(inspector.page(0).rawData, std::vector<Bytes>{filled(64, 3)});
    EXPECT_EQ(inspector.complaints(), std::vector<std::string>{});
}

TEST(OwnedDirectories, InteroperabilityInsideExifAndGpsAreCopied) {
    RawTiff tiff;
    const std::uint64_t interop =
        tiff.addDirectory({RawTiff::ascii(1, "R98"), RawTiff::bytes(2, 7, {'0', '1', '0', '0'})});
    const std::uint64_t exif = tiff.addDirectory({RawTiff::bytes(36864, 7, {'0', '2', '3', '1'}),
                                                  RawTiff::ascii(36867, "2024:01:02 03:04:05"),
                                                  tiff.longs(40965, {interop})});
    const std::uint64_t gps = tiff.addDirectory({RawTiff::bytes(0, 1, {2, 2, 0, 0})});
    const std::uint64_t strip = tiff.append(filled(16, 5));
    Entries entries = tiff.greyPage(4, 4, {strip}, {16});
    entries.push_back(tiff.longs(34665, {exif}));
    entries.push_back(tiff.numbers(34853, 13, {gps}));
    TempFolder folder;
    const Bytes page = readFileBytes(splitFirstPage(folder, singlePage(tiff, entries)));

    const auto main = RawTiff::readDirectory(page, RawTiff::readHeader(page).first);
    ASSERT_NE(main.find(34853), nullptr);
    EXPECT_EQ(main.find(34853)->type, 13);
    const auto gpsCopy =
        RawTiff::readDirectory(page, RawTiff::valuesOf(page, *main.find(34853))[0]);
    EXPECT_EQ(gpsCopy.find(0)->value, (Bytes{2, 2, 0, 0}));
    const auto exifCopy =
        RawTiff::readDirectory(page, RawTiff::valuesOf(page, *main.find(34665))[0]);
    EXPECT_EQ(exifCopy.find(36867)->value, RawTiff::ascii(0, "2024:01:02 03:04:05").value);
    const auto interopCopy =
        RawTiff::readDirectory(page, RawTiff::valuesOf(page, *exifCopy.find(40965))[0]);
    EXPECT_EQ(interopCopy.find(1)->value, RawTiff::ascii(1, "R98").value);
    EXPECT_EQ(interopCopy.find(2)->value, (Bytes{'0', '1', '0', '0'}));
}

struct FormatCase {
    const char* name;
    bool bigTiffSource;
    std::function<void(RawTiff&, Entries&)> addEntries;
    bool bigTiffOut;
    std::uint16_t offsetsType;
    std::uint16_t countsType;
};

const FormatCase formatCases[] = {
    {"TiffStaysTiff", false, nullptr, false, 4, 4},
    {"BigTiffThatFitsBecomesTiff", true, nullptr, false, 4, 4},
    {"BigTiffWithSLong8StaysBigTiff", true,
     [](RawTiff& t, Entries& e) { e.push_back(t.numbers(65002, 17, {0xfffffffffffffffbULL})); },
     true, 16, 16},
    {"TiffWithLong8BecomesBigTiff", false,
     [](RawTiff& t, Entries& e) { e.push_back(t.long8s(65002, {7})); }, true, 16, 4},
    {"BigTiffSubIfdAsIfd8BecomesIfd", true,
     [](RawTiff& t, Entries& e) {
         const std::uint64_t strip = t.append(filled(4, 6));
         e.push_back(t.numbers(330, 18, {t.addDirectory(t.greyPage(2, 2, {strip}, {4}))}));
     },
     false, 4, 4},
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.name;
}

class OutputFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(OutputFormat, TiffWhenItFitsBigTiffWhenNeeded) {
    const FormatCase& c = GetParam();
    RawTiff tiff(c.bigTiffSource);
    const std::uint64_t a = tiff.append(filled(24, 7)), b = tiff.append(filled(24, 8));
    Entries entries = tiff.greyPage(8, 3, {a, b}, {24, 24});
    if (c.addEntries)
        c.addEntries(tiff, entries);
    TempFolder folder;
    const Bytes source = singlePage(tiff, entries);
    const std::string pagePath = splitFirstPage(folder, source);

    const Bytes page = readFileBytes(pagePath);
    EXPECT_EQ(RawTiff::readHeader(page).bigTiff, c.bigTiffOut);
    const auto directory = RawTiff::readDirectory(page, RawTiff::readHeader(page).first);
    EXPECT_EQ(directory.find(273)->type, c.offsetsType);
    EXPECT_EQ(directory.find(279)->type, c.countsType);
    const auto sourceDirectory = RawTiff::readDirectory(source, RawTiff::readHeader(source).first);
    if (const auto* extra = sourceDirectory.find(65002)) {
        EXPECT_EQ(directory.find(65002)->type, extra->type);
        EXPECT_EQ(directory.find(65002)->value, extra->value);
    }
    TiffInspector inspector(pagePath);
    const DirectorySnapshot snapshot = inspector.page(0);
    EXPECT_EQ(snapshot.rawData, (std::vector<Bytes>{filled(24, 7), filled(24, 8)}));
    if (directory.find(330)) {
        ASSERT_EQ(snapshot.children.size(), 1u);
        EXPECT_EQ(snapshot.children[0].rawData, std::vector<Bytes>{filled(4, 6)});
    }
    EXPECT_EQ(inspector.complaints(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Files, OutputFormat, testing::ValuesIn(formatCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A page file of up to 4 GiB is TIFF, a larger one BigTIFF. Its one strip lies in a sparse
// source, and the page is only planned: nothing of gigabytes is written.
TEST(OutputFormat, BigTiffOnlyPast4GiB) {
    constexpr std::uint64_t kGiB = std::uint64_t{1} << 30, kData = 4096;
    const std::pair<std::uint64_t, bool> cases[] = {
        {2 * kGiB + 1, false}, {4 * kGiB - 2 * kData, false}, {4 * kGiB, true}};
    TempFolder folder;
    for (const auto& [strip, bigTiff] : cases) {
        SCOPED_TRACE(strip);
        RawTiff tiff(true);
        Entries entries = tiff.greyPage(1024, 1024, {kData}, {strip});
        entries[3] = tiff.shorts(259, {8}); // compressed: the strip's length is as listed
        tiff.setFirstDirectory(tiff.addDirectory(entries));
        ASSERT_LT(tiff.data().size(), kData);
        writeFileBytes(folder.file("sparse.tif"), tiff.data());
        std::filesystem::resize_file(folder.file("sparse.tif"), kData + strip);

        const imaging::PagePlan plan =
            imaging::planPage(*imaging::TiffSource::open(folder.file("sparse.tif")), 0);
        EXPECT_EQ(plan.bigTiff, bigTiff) << plan.end;
        EXPECT_EQ(plan.bigTiff, plan.end > UINT32_MAX) << plan.end;
    }
}

} // namespace
} // namespace plexifold::test
