// Where image data goes in a page file: pages with more strips than one chunk of the
// streamed offset arrays holds, ranges shared by many strips, long runs kept in step with 4096.
#include <functional>
#include <gtest/gtest.h>
#include <tiffio.h>

#include "HandMadePages.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

namespace plexifold::test {
namespace {

// More strips than one chunk of the streamed offset arrays holds (and, scattered, more
// separate pieces than the placer keeps apart), in every arrangement
// the copier treats differently: scattered, adjacent, sharing bytes.
struct StripLayoutCase {
    const char* name;
    std::uint64_t strips;
    std::function<std::uint64_t(std::uint64_t index, std::uint64_t strips)>
        place; // from data start
};

const StripLayoutCase stripLayoutCases[] = {
    {"ScatteredInReverse", 300000,
     [](std::uint64_t i, std::uint64_t n) { return 2 * (n - 1 - i); }},
    {"AdjacentInOrder", 140000, [](std::uint64_t i, std::uint64_t) { return i; }},
    {"AllSharingOneByte", 70000, [](std::uint64_t, std::uint64_t) { return 0; }},
};

void PrintTo(const StripLayoutCase& c, std::ostream* out) {
    *out << c.name;
}

class StripLayout : public testing::TestWithParam<StripLayoutCase> {};

TEST_P(StripLayout, EveryStripArrivesWhole) {
    const StripLayoutCase& c = GetParam();
    RawTiff tiff;
    Bytes data(2 * c.strips);
    std::vector<std::uint64_t> offsets(c.strips), counts(c.strips, 1);
    for (std::uint64_t i = 0; i < c.strips; ++i)
        offsets[i] = c.place(i, c.strips);
    for (std::uint64_t i = 0; i < c.strips; ++i)
        data[offsets[i]] = static_cast<std::uint8_t>(i * 7 + 1);
    const std::uint64_t start = tiff.append(data);
    for (auto& offset : offsets)
        offset += start;
    TempFolder folder;
    const std::string pagePath =
        splitFirstPage(folder, singlePage(tiff, tiff.greyPage(1, 1, offsets, counts)));

    TiffInspector inspector(pagePath);
    const auto raw = inspector.page(0).rawData;
    ASSERT_EQ(raw.size(), c.strips);
    for (std::uint64_t i = 0; i < c.strips; ++i)
        if (raw[i] != Bytes{data[offsets[i] - start]})
            FAIL() << "strip " << i + 1 << " differs";
}

INSTANTIATE_TEST_SUITE_P(Pages, StripLayout, testing::ValuesIn(stripLayoutCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DataPlacement, RangesSharedByManyStripsAreStoredOnce) {
    RawTiff tiff;
    const Bytes block = filled(32 * 1024, 10);
    const std::uint64_t at = tiff.append(block);
    const std::vector<std::uint64_t> offsets(3000, at), counts(3000, block.size());
    TempFolder folder;
    const std::string pagePath =
        splitFirstPage(folder, singlePage(tiff, tiff.greyPage(1024, 32, offsets, counts)));
    EXPECT_LT(std::filesystem::file_size(pagePath), 100u * 1024);
    TiffInspector inspector(pagePath);
    const auto raw = inspector.page(0).rawData;
    ASSERT_EQ(raw.size(), 3000u);
    EXPECT_TRUE(raw.front() == block && raw.back() == block);
}

// A run of at least 64 KiB, one strip or many small ones in a row, keeps its offset modulo
// 4096; shorter runs are packed without padding.
struct RunAlignmentCase {
    const char* name;
    std::size_t strips;
    std::size_t stripSize;
    std::size_t gap; // bytes between strips in the source
    bool aligned;
};

const RunAlignmentCase runAlignmentCases[] = {
    {"OneLargeStrip", 1, 200 * 1024, 0, true},
    {"ManySmallStripsInARow", 100, 1024, 0, true},
    {"AShortRun", 40, 1024, 0, false},
    {"ScatteredSmallStrips", 100, 1024, 24, false},
};

void PrintTo(const RunAlignmentCase& c, std::ostream* out) {
    *out << c.name;
}

class RunAlignment : public testing::TestWithParam<RunAlignmentCase> {};

TEST_P(RunAlignment, LongRunsKeepTheirOffsetWithinA4096BytePage) {
    const RunAlignmentCase& c = GetParam();
    RawTiff tiff;
    tiff.append(Bytes(1000, 0));
    const Bytes data = filled(c.strips * (c.stripSize + c.gap), 9);
    const std::uint64_t at = tiff.append(data);
    std::vector<std::uint64_t> offsets, counts(c.strips, c.stripSize);
    for (std::size_t i = 0; i < c.strips; ++i)
        offsets.push_back(at + i * (c.stripSize + c.gap));
    TempFolder folder;
    const std::string pagePath = splitFirstPage(
        folder, singlePage(tiff, tiff.greyPage(1024, static_cast<std::uint32_t>(c.stripSize / 1024),
                                               offsets, counts)));

    const Bytes page = readFileBytes(pagePath);
    TiffInspector inspector(pagePath);
    std::uint64_t* written = nullptr;
    ASSERT_TRUE(TIFFGetField(inspector.tiff(), TIFFTAG_STRIPOFFSETS, &written));
    if (c.aligned)
        EXPECT_EQ(written[0] % 4096, at % 4096);
    else
        EXPECT_LT(page.size(), c.strips * c.stripSize + 4096) << "strips were padded";
    // libtiff reads a big uncompressed strip in slices; compare the bytes in the file.
    for (std::size_t i = 0; i < c.strips; ++i)
        ASSERT_TRUE(slice(page, written[i], c.stripSize) ==
                    slice(data, i * (c.stripSize + c.gap), c.stripSize))
            << "strip " << i + 1 << " differs";
}

INSTANTIATE_TEST_SUITE_P(Pages, RunAlignment, testing::ValuesIn(runAlignmentCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace plexifold::test
