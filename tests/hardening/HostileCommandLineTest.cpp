// Every hostile file through the command line: the pages that can be written are, the
// others and what is left out are explained on standard error, in bounded memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "ChildProcess.h"
#include "HardeningPaths.h"
#include "HostileFiles.h"
#include "PageChain.h"
#include "SplitFolder.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

namespace {

using namespace plexifold::test;
namespace fs = std::filesystem;

class HostileCommandLine : public testing::TestWithParam<HostileFile> {
protected:
    std::string path(const std::string& name) const { return (m_folder.path() / name).string(); }

    // The page files that must exist after splitting bad.tif, and bad.tif itself.
    std::vector<std::string> expectedEntries(const std::vector<int>& written) const {
        std::vector<std::string> names{"bad.tif"};
        for (const int page : written)
            names.push_back(pageFileName("bad", "tif", GetParam().pages, page));
        std::sort(names.begin(), names.end());
        return names;
    }

    plexifold::test::TempFolder m_folder;
};

// The pages written: a failing page costs only itself.
std::vector<int> pagesWritten(const HostileFile& file) {
    std::vector<int> pages;
    for (int page = 1; page <= file.pages; ++page)
        if (!file.fails(page))
            pages.push_back(page);
    return pages;
}

TEST_P(HostileCommandLine, WritesTheGoodPagesAndExplainsTheRest) {
    const HostileFile& file = GetParam();
    writeFileBytes(path("bad.tif"), file.bytes());

    const ChildResult run = runChild({kSplitBinary, "--quiet", path("bad.tif")});

    ASSERT_EQ(run.signal, 0) << run.err;
    const bool fails = file.refused() || file.failing > 0;
    EXPECT_EQ(run.exitCode, fails ? 1 : 0) << run.err;
    EXPECT_NE(run.err.find(file.reason), std::string::npos) << run.err;
    if (fails) {
        EXPECT_EQ(run.err.rfind("plexifold-split: " + path("bad.tif") + ": ", 0), 0u) << run.err;
        EXPECT_GT(run.err.size(), path("bad.tif").size() + 20) << "no reason: " << run.err;
    } else {
        // Nothing but the one warning of the row, about what a page file leaves out or mends.
        const std::string prefix = "plexifold-split: " + path("bad.tif") + ": ";
        if (!file.reason.empty()) {
            EXPECT_EQ(run.err.rfind(prefix + file.reason, 0), 0u) << run.err;
        }
        std::istringstream lines(run.err);
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count) {
            EXPECT_EQ(line.rfind(prefix + "page ", 0), 0u) << line;
            EXPECT_NE(line.find(": warning: "), std::string::npos) << line;
        }
        EXPECT_EQ(count, file.reason.empty() ? 0 : 1) << run.err;
    }
    if (file.failing > 0) {
        EXPECT_NE(run.err.find("page " + std::to_string(file.failing)), std::string::npos)
            << run.err;
    }
    const std::vector<int> written = pagesWritten(file);
    EXPECT_EQ(folderEntries(m_folder.path().string()), expectedEntries(written));
    for (const int page : written) {
        const std::string name = path(pageFileName("bad", "tif", file.pages, page));
        EXPECT_EQ(libtiffDirectoryCount(name), 1) << name;
        if (file.stripBytes > 0) {
            const auto pieces = libtiffRawData(name, 0);
            ASSERT_FALSE(pieces.empty()) << name;
            EXPECT_EQ(pieces.front(), pagePixels(page, file.stripBytes)) << name;
        }
    }
    if (kMemoryIsMeasurable) {
        EXPECT_LT(run.maxRssKiB, kMemoryBoundKiB);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileCommandLine, testing::ValuesIn(hostileFiles()),
                         [](const testing::TestParamInfo<HostileFile>& info) {
                             return info.param.name;
                         });

} // namespace
