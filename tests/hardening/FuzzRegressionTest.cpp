#include <gtest/gtest.h>

#include <filesystem>

#include "FuzzCheck.h"
#include "SeedCorpus.h"
#include "TempFolder.h"
#include "TiffFixtures.h"

// Replays the fuzz targets' seeds through the same checks, in every build.
namespace {

using namespace plexifold;
namespace fs = std::filesystem;

void expectCheckedClean(const std::vector<fs::path>& inputs) {
    const test::TempFolder scratch;
    for (const fs::path& input : inputs) {
        const auto bytes = test::readFileBytes(input.string());
        EXPECT_EQ(fuzz::checkInput(bytes.data(), bytes.size(), scratch.path(),
                                   fuzz::CheckMode::SaveReload),
                  "")
            << input;
    }
}

TEST(FuzzRegression, SeedsPassTheChecks) {
    const test::TempFolder seeds;
    const auto written = fuzz::writeSeedCorpus(seeds.path() / "seeds");
    ASSERT_GE(written.size(), 15u);
    expectCheckedClean(written);
}

// What the fuzzers once found, kept as they found it.
TEST(FuzzRegression, FindingsPassTheChecks) {
    std::vector<fs::path> findings;
    for (const auto& entry : fs::directory_iterator(PLEXIFOLD_FUZZ_FINDINGS))
        findings.push_back(entry.path());
    ASSERT_FALSE(findings.empty());
    expectCheckedClean(findings);
}

} // namespace
