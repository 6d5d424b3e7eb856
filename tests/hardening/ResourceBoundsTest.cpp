#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ChildProcess.h"
#include "HardeningPaths.h"
#include "PageChain.h"
#include "SplitFolder.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

// Oversized inputs: memory stays bounded and long directory chains are read in
// linear time (a quadratic walk of these chains would outlast the test's timeout).
namespace {

using namespace plexifold::test;

class ResourceBounds : public testing::Test {
protected:
    std::string path(const std::string& name) const { return (m_folder.path() / name).string(); }

    void expectBoundedMemory(const ChildResult& run) const {
        RecordProperty("peak_rss_kib", std::to_string(run.maxRssKiB));
        if (kMemoryIsMeasurable) {
            EXPECT_LT(run.maxRssKiB, kMemoryBoundKiB) << "peak resident memory in KiB";
        }
    }

    plexifold::test::TempFolder m_folder;
};

std::uint8_t stripByte(std::uint64_t strip) {
    return static_cast<std::uint8_t>(strip * 31 + 7);
}

TEST_F(ResourceBounds, PageOfTenMillionStripsIsCopiedInBoundedMemory) {
    constexpr std::uint64_t kStrips = 10'000'000;
    {
        // A valid 1 x 10,000,000 page with one byte per strip, the strips side by side.
        RawTiff tiff;
        std::vector<std::uint8_t> pixels(kStrips);
        for (std::uint64_t i = 0; i < kStrips; ++i)
            pixels[i] = stripByte(i);
        const std::uint64_t data = tiff.append(pixels);
        auto entries = tiff.greyPage(1, 1, {data}, {1});
        entries[1] = tiff.longs(257, {kStrips});
        entries[5] = longArray(false, 273, kStrips, [data](std::uint64_t i) {
            return static_cast<std::uint32_t>(data + i);
        });
        entries[8] = longArray(false, 279, kStrips, [](std::uint64_t) { return 1; });
        tiff.setFirstDirectory(tiff.addDirectory(entries));
        writeFileBytes(path("strips.tif"), tiff.data());
    } // released before the child is forked, see ChildProcess

    const ChildResult run = runChild({kSplitBinary, "--quiet", path("strips.tif")});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    expectBoundedMemory(run);
    const std::string page = path("strips_page_1.tif");
    ASSERT_EQ(libtiffPieceCount(page, 0), kStrips);
    for (const std::uint64_t strip : {std::uint64_t{0}, kStrips / 2 + 1, kStrips - 1})
        EXPECT_EQ(libtiffRawPiece(page, 0, static_cast<std::uint32_t>(strip)),
                  std::vector<std::uint8_t>{stripByte(strip)})
            << "strip " << strip;
}

// Writing 100,000 page files takes tens of seconds: bench/many_pages.sh runs this.
TEST_F(ResourceBounds, DISABLED_HundredThousandPagesAreSplitInBoundedMemory) {
    constexpr int kPages = 100'000;
    {
        RawTiff tiff;
        appendPageChain(tiff, kPages);
        writeFileBytes(path("many.tif"), tiff.data());
    }

    const ChildResult run = runChild({kSplitBinary, path("many.tif")});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("1 file, 100000 pages written, 0 failed"), std::string::npos) << run.out;
    expectBoundedMemory(run);
    EXPECT_EQ(folderEntries(m_folder.path().string()).size(), kPages + 1u);
    for (const int page : {1, kPages / 2, kPages})
        EXPECT_EQ(libtiffDirectoryCount(path(pageFileName("many", "tif", kPages, page))), 1);
}

// A chain of 100,000 directories, straight or bent back on itself: the dry run
// names each directory once.
TEST_F(ResourceBounds, LongAndLoopingChainsNameEachPageOnce) {
    constexpr std::uint64_t kPages = 100'000;
    struct Case {
        const char* name;
        std::int64_t loopTo; // directory the last one points back to; -1: none
    };
    for (const Case& c : {Case{"straight", -1}, Case{"last-to-first", 0},
                          Case{"last-to-middle", kPages / 2}, Case{"last-to-itself", kPages - 1}}) {
        const std::string file = path(std::string(c.name) + ".tif");
        {
            RawTiff tiff;
            const auto ifds = appendPageChain(tiff, kPages);
            if (c.loopTo >= 0)
                tiff.setNext(ifds.back(), ifds[static_cast<std::size_t>(c.loopTo)]);
            writeFileBytes(file, tiff.data());
        }

        const ChildResult run = runChild({kSplitBinary, "--dry-run", file});

        ASSERT_EQ(run.exitCode, 0) << c.name << ": " << run.err;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), kPages) << c.name;
        EXPECT_TRUE(run.out.ends_with(path(std::string(c.name) + "_page_100000.tif\n"))) << c.name;
        expectBoundedMemory(run);
    }
}

// A chain of more directories than a file may have pages (2^20) is refused without
// ever holding more than that many.
TEST_F(ResourceBounds, ChainBeyondThePageLimitIsRefusedInBoundedMemory) {
    {
        RawTiff tiff;
        appendPageChain(tiff, (1u << 20) + 1);
        writeFileBytes(path("endless.tif"), tiff.data());
    }

    const ChildResult run = runChild({kSplitBinary, "--quiet", path("endless.tif")});

    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.err.rfind("plexifold-split: " + path("endless.tif") + ": ", 0), 0u) << run.err;
    expectBoundedMemory(run);
    EXPECT_EQ(folderEntries(m_folder.path().string()), std::vector<std::string>{"endless.tif"});
}

} // namespace
