#include <gtest/gtest.h>

#include <algorithm>

#include "PageNaming.h"
#include "SplitFile.h"
#include "TempFolder.h"
#include "TiffFixtures.h"

using namespace plexifold;
namespace fs = std::filesystem;

namespace {

// Records every report of the splitter.
struct RecordingProgress : SplitProgress {
    std::int32_t pageCount = -1;
    std::vector<std::string> texts;
    std::vector<std::int32_t> values;
    int ends = 0;

    void begin(std::int32_t count) override { pageCount = count; }
    void page(const std::string& text, std::int32_t value) override {
        texts.push_back(text);
        values.push_back(value);
    }
    void end() override { ++ends; }
};

class SplitFileTest : public testing::Test {
protected:
    test::TempFolder m_dir;
    fs::path path(const std::string& name) const { return m_dir.path() / PathFromUtf8(name); }
    std::string file(const std::string& name) const { return m_dir.file(name); }
    int directoriesIn(const std::string& name) const { return test::countDirectories(file(name)); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names = m_dir.names();
        std::ranges::sort(names);
        return names;
    }
};

TEST_F(SplitFileTest, WritesEveryPageAndReportsEachOne) {
    test::writeMultipageTiff(file("doc.tif"), 12);
    RecordingProgress progress;
    SplitOutcome outcome;

    ASSERT_TRUE(SplitFile(path("doc.tif"), progress, &outcome)) << outcome.reason;

    EXPECT_EQ(progress.pageCount, 12);
    EXPECT_EQ(progress.texts.front(), "Processing doc.tif (1 from 12)");
    EXPECT_EQ(progress.texts.back(), "Processing doc.tif (12 from 12)");
    EXPECT_EQ(progress.values, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(outcome.pagesWritten, 12);
    EXPECT_TRUE(outcome.reason.empty());
    for (int page = 1; page <= 12; ++page)
        EXPECT_EQ(directoriesIn("doc_page_" + PageNumberText(12, page) + ".tif"), 1);
    EXPECT_EQ(entries().size(), 13u);
}

// A name is shown as it is, whatever it holds.
TEST_F(SplitFileTest, SinglePageKeepsTheNameAndExtension) {
    for (const std::string name : {"one.TIFF", "a%2Fb.tif", "%1.tif", "Überweisungen 日本.tif"}) {
        test::writeMultipageTiff(file(name), 1);
        RecordingProgress progress;
        ASSERT_TRUE(SplitFile(path(name), progress)) << name;
        EXPECT_EQ(directoriesIn(Utf8Of(PageFilePath(PathFromUtf8(name), 1, 1))), 1) << name;
        EXPECT_EQ(progress.texts, std::vector<std::string>{"Processing " + name + " (1 from 1)"});
    }
}

TEST_F(SplitFileTest, RefusedFileWritesNothingAndShowsNoProgress) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    for (const Case& c : {Case{"empty.tif", {}}, Case{"text.tif", {'h', 'e', 'l', 'l', 'o', '\n'}},
                          Case{"magic.tif", {'I', 'I', 42, 0}},
                          Case{"nopages.tif", {'I', 'I', 42, 0, 0, 0, 0, 0}}}) {
        test::writeFileBytes(file(c.name), c.bytes);
        RecordingProgress progress;
        SplitOutcome outcome;
        EXPECT_FALSE(SplitFile(path(c.name), progress, &outcome)) << c.name;
        EXPECT_FALSE(outcome.reason.empty()) << c.name;
        EXPECT_EQ(progress.pageCount, -1) << c.name;
        EXPECT_TRUE(progress.texts.empty()) << c.name;
    }
    EXPECT_EQ(entries().size(), 4u);
}

TEST_F(SplitFileTest, FailureAtPageFiveKeepsTheEarlierPagesAndNothingElse) {
    test::writeMultipageTiff(file("doc.tif"), 12);
    ASSERT_TRUE(fs::create_directory(path("doc_page_05.tif")));
    RecordingProgress progress;
    SplitOutcome outcome;

    EXPECT_FALSE(SplitFile(path("doc.tif"), progress, &outcome));

    EXPECT_EQ(outcome.pagesWritten, 4);
    ASSERT_FALSE(progress.values.empty());
    EXPECT_NE(outcome.reason.find("doc_page_05.tif"), std::string::npos) << outcome.reason;
    EXPECT_EQ(progress.values.back(), 5);
    EXPECT_EQ(progress.texts.back(), "Processing doc.tif (5 from 12)");
    EXPECT_EQ(progress.ends, 0);
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(directoriesIn("doc_page_0" + std::to_string(page) + ".tif"), 1);
    EXPECT_EQ(entries(),
              (std::vector<std::string>{"doc.tif", "doc_page_01.tif", "doc_page_02.tif",
                                        "doc_page_03.tif", "doc_page_04.tif", "doc_page_05.tif"}));
    EXPECT_TRUE(fs::is_directory(path("doc_page_05.tif")));
}

TEST_F(SplitFileTest, StopRequestEndsBeforeTheNextPage) {
    test::writeMultipageTiff(file("doc.tif"), 3);
    struct StopAfterFirst : RecordingProgress {
        std::atomic<bool> stop{false};
        void saved(std::int32_t, std::uint64_t) override { stop = true; }
    } progress;
    SplitOutcome outcome;
    EXPECT_FALSE(SplitFile(path("doc.tif"), progress, &outcome, &progress.stop));
    EXPECT_EQ(outcome.pagesWritten, 1);
    EXPECT_EQ(entries(), (std::vector<std::string>{"doc.tif", "doc_page_1.tif"}));
}

TEST_F(SplitFileTest, PlanNamesThePagesWithoutWriting) {
    test::writeMultipageTiff(file("scan.tif"), 10);
    std::vector<fs::path> pages;
    ASSERT_TRUE(PlanPageFiles(path("scan.tif"), pages));
    ASSERT_EQ(pages.size(), 10u);
    EXPECT_EQ(pages.front(), path("scan_page_01.tif"));
    EXPECT_EQ(pages.back(), path("scan_page_10.tif"));
    EXPECT_EQ(entries(), std::vector<std::string>{"scan.tif"});
}

} // namespace
