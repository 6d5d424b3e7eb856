// Strips and values whose bytes overlap are stored once: a page file holds no more data than its
// source, and the page files of one source stop at a budget of 4 x the source + 64 MiB.
#include <functional>
#include <gtest/gtest.h>

#include "HandMadePages.h"
#include "OverlappingStrips.h"
#include "SameAsSource.h"
#include "TiffInspector.h"

namespace plexifold::test {
namespace {

namespace fs = std::filesystem;

// An extent of 64 KiB or more may be moved by up to 4095 bytes to keep its alignment.
constexpr std::uint64_t kAlignmentSlack = 4096;

struct OverlapCase {
    const char* name;
    std::function<Bytes()> build;
};

const OverlapCase overlapCases[] = {
    {"RowsAtRandomInOneWindow",
     [] { return overlappingStripsFile({.width = 621, .bilevelFax = false}); }},
    {"EachStripInsideThePrevious",
     [] {
         // 2000 strips over the same 100 KB, each a byte shorter: 100 MB stored one by one.
         RawTiff tiff;
         const std::uint64_t start = tiff.append(filled(100000, 1));
         std::vector<std::uint64_t> offsets, counts;
         for (std::uint64_t i = 0; i < 2000; ++i) {
             offsets.push_back(start + i);
             counts.push_back(100000 - i);
         }
         return singlePage(tiff, tiff.greyPage(8, 1, offsets, counts));
     }},
    {"TagValuesOverlapping",
     [] {
         // 60 private tags, each 8 KiB of one 9 KiB blob from its own start on.
         RawTiff tiff;
         const std::uint64_t blob = tiff.append(filled(9 * 1024, 3));
         const std::uint64_t strip = tiff.append(filled(64, 5));
         Entries entries = tiff.greyPage(8, 8, {strip}, {64});
         for (std::uint16_t i = 0; i < 60; ++i)
             entries.push_back(RawTiff::bytes(static_cast<std::uint16_t>(65000 + i), 7, Bytes(4)));
         const std::uint64_t directory = tiff.addDirectory(entries);
         for (std::uint16_t i = 0; i < 60; ++i) {
             const std::uint64_t field = tiff.fieldOffset(directory, entries.size() - 60 + i);
             tiff.patch(field - 4, 8 * 1024, 4);
             tiff.patch(field, blob + 16 * i, 4);
         }
         tiff.setFirstDirectory(directory);
         return tiff.data();
     }},
};

void PrintTo(const OverlapCase& c, std::ostream* out) {
    *out << c.name;
}

class OverlappingStrips : public testing::TestWithParam<OverlapCase> {};

TEST_P(OverlappingStrips, PageHoldsNoMoreThanItsSourceAndDecodesAsBefore) {
    const Bytes source = GetParam().build();
    TempFolder folder;
    const std::string page = splitFirstPage(folder, source);

    EXPECT_LE(fs::file_size(page), source.size() + kAlignmentSlack);
    TiffInspector original(folder.file("source.tif")), copy(page);
    expectSame(original.page(0), copy.page(0));
}

INSTANTIATE_TEST_SUITE_P(Pages, OverlappingStrips, testing::ValuesIn(overlapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OutputBudget, PagesSharingOneRangeStopAtFourTimesTheSource) {
    // 120 pages of eight 128 KiB strips each, all inside one shared MiB.
    const OverlapSpec spec{.width = 1024,
                           .rowsPerStrip = 128,
                           .strips = 8,
                           .bilevelFax = false,
                           .window = 1 << 20,
                           .pages = 120};
    TempFolder folder;
    const std::string input = folder.file("source.tif");
    writeFileBytes(input, overlappingStripsFile(spec));
    const std::uint64_t budget = 4 * fs::file_size(input) + (std::uint64_t{64} << 20);
    imaging::PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(input)) << document.errorText();
    TiffInspector original(input);

    std::uint64_t total = 0;
    int refused = 0;
    for (int i = 0; i < spec.pages; ++i) {
        const std::string page = folder.file("page" + std::to_string(i + 1) + ".tif");
        try {
            total += document.GetPage(i).SaveFile(page);
        } catch (const imaging::TiffError& error) {
            ++refused;
            EXPECT_EQ(std::string(error.what()),
                      "page " + std::to_string(i + 1) +
                          ": the pages would be more than 4 times the size of the file itself");
            EXPECT_FALSE(fs::exists(page));
            continue;
        }
        EXPECT_LE(fs::file_size(page), spec.window + kAlignmentSlack) << "page " << i + 1;
        if (i % 20 == 0) {
            TiffInspector copy(page);
            expectSame(original.page(i), copy.page(0));
        }
    }
    EXPECT_LE(total, budget);
    EXPECT_GT(total, budget - spec.window - kAlignmentSlack)
        << "refused before the budget was spent";
    EXPECT_GT(refused, 0);
}

} // namespace
} // namespace plexifold::test
