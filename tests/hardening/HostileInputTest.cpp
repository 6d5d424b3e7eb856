#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "ChildProcess.h"
#include "FuzzCheck.h"
#include "HardeningPaths.h"
#include "HostileFiles.h"
#include "LibtiffView.h"
#include "PageChain.h"
#include "TempFolder.h"
#include "TiffFixtures.h"

namespace {

using namespace plexifold::test;
namespace fs = std::filesystem;

class HostileInput : public testing::TestWithParam<HostileFile> {
protected:
    std::string path(const std::string& name) const { return (m_folder.path() / name).string(); }

    // The page files that must exist after splitting bad.tif, and bad.tif itself.
    std::vector<std::string> expectedEntries(const std::vector<int>& written) const {
        std::vector<std::string> names{"bad.tif"};
        for (const int page : written)
            names.push_back(pageFileName("bad", "tif", GetParam().pageCount, page));
        std::sort(names.begin(), names.end());
        return names;
    }

    plexifold::test::TempFolder m_folder;
};

// The pages written: a failing page costs only itself.
std::vector<int> pagesWritten(const HostileFile& file) {
    const bool fails = file.verdict == Verdict::FailsAt;
    const int last = fails ? file.pageCount : file.page;
    const int lastFailing = std::max(file.page, file.lastFailing);
    std::vector<int> pages;
    for (int page = 1; page <= last && file.verdict != Verdict::Refused; ++page)
        if (!fails || page < file.page || page > lastFailing)
            pages.push_back(page);
    return pages;
}

// The guarantees the fuzz targets check, on every hostile file: reasons given,
// failed saves change nothing, saved pages load back.
TEST_P(HostileInput, KeepsTheDocumentGuarantees) {
    const auto bytes = GetParam().bytes();
    const plexifold::test::TempFolder scratch;
    EXPECT_EQ(plexifold::fuzz::checkInput(bytes.data(), bytes.size(), scratch.path(),
                                          plexifold::fuzz::CheckMode::SaveReload),
              "");
}

TEST_P(HostileInput, CommandLineWritesTheGoodPagesAndExplainsTheRest) {
    const HostileFile& file = GetParam();
    writeFileBytes(path("bad.tif"), file.bytes());

    const ChildResult run = runChild({kSplitBinary, "--quiet", path("bad.tif")});

    ASSERT_EQ(run.signal, 0) << run.err;
    const bool fails = file.verdict != Verdict::Splits;
    EXPECT_EQ(run.exitCode, fails ? 1 : 0) << run.err;
    if (fails) {
        EXPECT_EQ(run.err.rfind("plexifold-split: " + path("bad.tif") + ": ", 0), 0u) << run.err;
        EXPECT_GT(run.err.size(), path("bad.tif").size() + 20) << "no reason: " << run.err;
    } else {
        // Nothing but warnings about what a page file leaves out or mends.
        std::istringstream lines(run.err);
        for (std::string line; std::getline(lines, line);)
            EXPECT_NE(line.find(": warning: "), std::string::npos) << run.err;
    }
    if (file.verdict == Verdict::FailsAt) {
        EXPECT_NE(run.err.find("page " + std::to_string(file.page)), std::string::npos) << run.err;
    }
    const std::vector<int> written = pagesWritten(file);
    EXPECT_EQ(folderEntries(m_folder.path().string()), expectedEntries(written));
    for (const int page : written) {
        const std::string name = path(pageFileName("bad", "tif", file.pageCount, page));
        EXPECT_EQ(libtiffDirectoryCount(name), 1) << name;
        const auto pieces = libtiffRawData(name, 0);
        ASSERT_FALSE(pieces.empty()) << name;
        EXPECT_EQ(pieces.front(), pagePixels(page, file.stripBytes)) << name;
    }
    if (kMemoryIsMeasurable) {
        EXPECT_LT(run.maxRssKiB, kMemoryBoundKiB);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInput, testing::ValuesIn(hostileFiles()),
                         [](const testing::TestParamInfo<HostileFile>& info) {
                             return info.param.name;
                         });

} // namespace
