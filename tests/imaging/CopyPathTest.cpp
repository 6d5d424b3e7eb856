// The ways bytes move into a page file: runs the staging buffer holds are read into it,
// longer ones are copied by the kernel, and small reads of the structure share cached
// 4 KiB blocks. Every way must deliver the same bytes.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "HandMadePages.h"
#include "OutputFile.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

namespace plexifold::test {
namespace {

constexpr std::size_t KiB = 1024;
constexpr std::size_t Staging = imaging::OutputFile::StagingSize;

struct RunMixCase {
    const char* name;
    std::vector<std::size_t> strips; // their sizes, in source order
    std::size_t gap;                 // bytes between strips in the source; 0: one run
};

const RunMixCase runMixCases[] = {
    {"OneSmallStrip", {40 * KiB}, 0},
    {"OneRunLongerThanTheStagingBuffer", {Staging + 5000}, 0},
    {"SmallRunsAroundALongOne", {3 * KiB, 5 * KiB, Staging + 2, 7 * KiB, 2}, 24},
    {"MoreSmallRunsThanTheStagingBufferHolds", std::vector<std::size_t>(300, 5000), 24},
    {"SmallStripsJoinedIntoALongRun", std::vector<std::size_t>(200, 6000), 0},
};

void PrintTo(const RunMixCase& c, std::ostream* out) {
    *out << c.name;
}

class RunMix : public testing::TestWithParam<RunMixCase> {};

TEST_P(RunMix, EveryStripArrivesWhole) {
    const RunMixCase& c = GetParam();
    RawTiff tiff;
    tiff.append(Bytes(3000, 0));
    std::vector<Bytes> strips;
    std::vector<std::uint64_t> offsets, counts;
    for (std::size_t i = 0; i < c.strips.size(); ++i) {
        strips.push_back(filled(c.strips[i], static_cast<std::uint8_t>(i + 1)));
        offsets.push_back(tiff.append(strips.back()));
        counts.push_back(c.strips[i]);
        if (c.gap != 0)
            tiff.append(Bytes(c.gap, 0xee));
    }
    TempFolder folder;
    const std::string pagePath =
        splitFirstPage(folder, singlePage(tiff, tiff.greyPage(1024, 1, offsets, counts)));

    const Bytes page = readFileBytes(pagePath);
    TiffInspector inspector(pagePath);
    std::uint64_t* written = nullptr;
    ASSERT_TRUE(TIFFGetField(inspector.tiff(), TIFFTAG_STRIPOFFSETS, &written));
    for (std::size_t i = 0; i < strips.size(); ++i)
        ASSERT_TRUE(slice(page, written[i], strips[i].size()) == strips[i])
            << "strip " << i + 1 << " differs";
}

INSTANTIATE_TEST_SUITE_P(Pages, RunMix, testing::ValuesIn(runMixCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A page whose description and private bytes lie before its directory, starting `pad`
// bytes into the file; also says whether the directory or a value crosses a 4 KiB line.
struct EdgePage {
    Bytes file;
    bool directoryCrosses = false;
    bool valueCrosses = false;
};

bool crosses(std::uint64_t offset, std::uint64_t size) {
    return offset / 4096 != (offset + size - 1) / 4096;
}

EdgePage edgePage(std::size_t pad, const std::string& description, const Bytes& privateBytes) {
    RawTiff tiff;
    tiff.append(Bytes(pad, 0));
    const std::uint64_t strip = tiff.append(filled(16, 3));
    Entries entries = tiff.greyPage(4, 4, {strip}, {16});
    entries.insert(entries.begin() + 5, RawTiff::ascii(270, description));
    entries.push_back(RawTiff::bytes(PrivateBytesTag, 7, privateBytes));
    EdgePage page;
    const std::uint64_t directory = tiff.addDirectory(entries);
    tiff.setFirstDirectory(directory);
    page.file = tiff.data();
    const std::uint64_t values = strip + 16;
    page.directoryCrosses = crosses(directory, 2 + entries.size() * 12 + 4);
    page.valueCrosses = crosses(values, directory - values);
    return page;
}

TEST(StructureReads, DirectoriesAndValuesAcrossBlockEdges) {
    const std::string description(150, 'd');
    const Bytes privateBytes = filled(300, 5);
    bool directoryCrossed = false, valueCrossed = false;
    for (std::size_t pad = 3500; pad < 3800; pad += 10) {
        SCOPED_TRACE("pad " + std::to_string(pad));
        const EdgePage source = edgePage(pad, description, privateBytes);
        directoryCrossed |= source.directoryCrosses;
        valueCrossed |= source.valueCrosses;
        TempFolder folder;
        TiffInspector inspector(splitFirstPage(folder, source.file));
        ASSERT_TRUE(inspector.opened());
        const DirectorySnapshot page = inspector.page(0);
        char* text = nullptr;
        ASSERT_TRUE(TIFFGetField(inspector.tiff(), TIFFTAG_IMAGEDESCRIPTION, &text));
        EXPECT_EQ(std::string(text), description);
        EXPECT_TRUE(page.values.at(PrivateBytesTag) == privateBytes);
        ASSERT_EQ(page.rawData.size(), 1u);
        EXPECT_TRUE(page.rawData[0] == filled(16, 3));
    }
    EXPECT_TRUE(directoryCrossed && valueCrossed) << "the sweep missed the 4 KiB line";
}

TEST(StructureReads, ADirectoryLargerThanABlock) {
    RawTiff tiff;
    const std::uint64_t strip = tiff.append(filled(16, 3));
    Entries entries = tiff.greyPage(4, 4, {strip}, {16});
    for (std::uint16_t tag = 65100; tag < 65500; ++tag) // 400 entries: 4.8 KB
        entries.push_back(tiff.shorts(tag, {tag}));
    TempFolder folder;
    const std::string pagePath = splitFirstPage(folder, singlePage(tiff, entries));
    const Bytes page = readFileBytes(pagePath);
    const RawTiff::Directory directory =
        RawTiff::readDirectory(page, RawTiff::readHeader(page).first);
    ASSERT_EQ(directory.entries.size(), entries.size());
    for (std::uint16_t tag = 65100; tag < 65500; ++tag) {
        const RawTiff::Entry* entry = directory.find(tag);
        ASSERT_NE(entry, nullptr) << "tag " << tag;
        EXPECT_EQ(RawTiff::valuesOf(page, *entry), std::vector<std::uint64_t>{tag});
    }
}

} // namespace
} // namespace plexifold::test
