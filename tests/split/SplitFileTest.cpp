#include <gtest/gtest.h>

#include <algorithm>

#include "FileBytes.h"
#include "GreyPages.h"
#include "OutputFile.h"
#include "PageNaming.h"
#include "PathText.h"
#include "RawTiff.h"
#include "SplitFile.h"
#include "TempFolder.h"

using namespace plexifold;
namespace fs = std::filesystem;

namespace {

SplitOptions withChecks(bool verify, bool checksums) {
    SplitOptions options;
    options.verify = verify;
    options.checksums = checksums;
    return options;
}

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
    fs::path path(const std::string& name) const {
        return m_dir.path() / files::PathFromUtf8(name);
    }
    int directoriesIn(const std::string& name) const { return test::countPages(path(name)); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names = m_dir.names();
        std::ranges::sort(names);
        return names;
    }
};

TEST_F(SplitFileTest, WritesEveryPageAndReportsEachOne) {
    test::writeGreyPages(path("doc.tif"), 12);
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
        test::writeGreyPages(path(name), 1);
        RecordingProgress progress;
        ASSERT_TRUE(SplitFile(path(name), progress)) << name;
        EXPECT_EQ(directoriesIn(files::Utf8Of(PageFilePath(files::PathFromUtf8(name), 1, 1))), 1)
            << name;
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
        test::writeFileBytes(path(c.name), c.bytes);
        RecordingProgress progress;
        SplitOutcome outcome;
        EXPECT_FALSE(SplitFile(path(c.name), progress, &outcome)) << c.name;
        EXPECT_FALSE(outcome.reason.empty()) << c.name;
        EXPECT_EQ(progress.pageCount, -1) << c.name;
        EXPECT_TRUE(progress.texts.empty()) << c.name;
    }
    EXPECT_EQ(entries().size(), 4u);
}

// A page that cannot be written costs only itself; the reason names the first three.
TEST_F(SplitFileTest, PagesThatCannotBeWrittenAreLeftOutAndTheRestWritten) {
    struct Case {
        std::vector<int> blocked;
        std::string reason;
    };
    const std::string why = ": cannot write ";
    for (const Case& c : {
             Case{{5}, "page 5 of 12 not written" + why},
             Case{{1, 12}, "page 1 of 12 not written" + why},
             Case{{2, 3, 5, 7, 9}, "and 2 more"},
         }) {
        test::TempFolder dir;
        const fs::path source = dir.path() / "doc.tif";
        test::writeGreyPages(source, 12);
        std::vector<std::string> expected = {"doc.tif"};
        for (int page = 1; page <= 12; ++page) {
            const std::string name = "doc_page_" + PageNumberText(12, page) + ".tif";
            expected.push_back(name);
            if (std::ranges::count(c.blocked, page))
                fs::create_directory(dir.path() / name);
        }
        RecordingProgress progress;
        SplitOutcome outcome;

        EXPECT_FALSE(SplitFile(source, progress, &outcome)) << c.reason;

        EXPECT_NE(outcome.reason.find(c.reason), std::string::npos) << outcome.reason;
        EXPECT_EQ(std::ranges::count(outcome.reason, ';'), std::min<int>(c.blocked.size(), 4) - 1)
            << outcome.reason;
        EXPECT_EQ(outcome.pagesFailed, static_cast<int>(c.blocked.size()));
        EXPECT_EQ(outcome.pagesWritten, 12 - outcome.pagesFailed);
        EXPECT_EQ(progress.values.size(), 12u);
        EXPECT_EQ(progress.ends, 1);
        std::vector<std::string> names = dir.names();
        std::ranges::sort(names);
        EXPECT_EQ(names, expected);
        for (const std::string& name : expected) {
            if (name != "doc.tif" && !fs::is_directory(dir.path() / name)) {
                EXPECT_EQ(test::countPages(dir.path() / name), 1) << name;
            }
        }
    }
}

// A damaged page is named with imaging's reason; the pages around it are written.
TEST_F(SplitFileTest, DamagedPageIsNamedAndTheOthersWritten) {
    test::RawTiff tiff;
    const std::uint64_t data = tiff.append(std::vector<std::uint8_t>(16, 0x33));
    const std::uint64_t third = tiff.addDirectory(tiff.greyPage(4, 4, {data}, {16}));
    const std::uint64_t second = tiff.addDirectory(tiff.greyPage(4, 4, {1u << 20}, {16}), third);
    tiff.setFirstDirectory(tiff.addDirectory(tiff.greyPage(4, 4, {data}, {16}), second));
    test::writeFileBytes(path("doc.tif"), tiff.data());
    RecordingProgress progress;
    SplitOutcome outcome;

    EXPECT_FALSE(SplitFile(path("doc.tif"), progress, &outcome));

    EXPECT_TRUE(outcome.reason.starts_with("page 2 of 3 not written: ")) << outcome.reason;
    EXPECT_NE(outcome.reason.find("past the end of the file"), std::string::npos) << outcome.reason;
    EXPECT_EQ(outcome.reason.find("page 2:"), std::string::npos) << outcome.reason;
    EXPECT_EQ(entries(), (std::vector<std::string>{"doc.tif", "doc_page_1.tif", "doc_page_3.tif"}));
}

TEST_F(SplitFileTest, StopRequestEndsAfterThePageInWork) {
    test::writeGreyPages(path("doc.tif"), 4);
    fs::create_directory(path("doc_page_1.tif"));
    struct StopAtSecond : RecordingProgress {
        std::atomic<bool> stop{false};
        void page(const std::string& text, std::int32_t value) override {
            RecordingProgress::page(text, value);
            stop = value == 2;
        }
    } progress;
    SplitOutcome outcome;
    EXPECT_FALSE(SplitFile(path("doc.tif"), progress, &outcome, &progress.stop));
    EXPECT_EQ(outcome.pagesWritten, 1);
    EXPECT_EQ(outcome.pagesFailed, 1);
    EXPECT_TRUE(outcome.reason.ends_with("; stopped before page 3")) << outcome.reason;
    EXPECT_EQ(progress.ends, 0);
    EXPECT_EQ(entries(), (std::vector<std::string>{"doc.tif", "doc_page_1.tif", "doc_page_2.tif"}));
}

// Pages of megabytes are checked on a second thread while the next is written (or checked):
// what each page gives is still reported in page order.
TEST_F(SplitFileTest, BigPagesAreVerifiedAndCheckedBesideTheNextInPageOrder) {
    test::writeGreyPages(path("big.tif"), 4, 2048);
    RecordingProgress progress;
    SplitOutcome outcome;
    imaging::OutputFile::corruptBlockForTesting(1 << 20);
    EXPECT_FALSE(
        SplitFile(path("big.tif"), progress, &outcome, nullptr, nullptr, withChecks(true, false)));
    imaging::OutputFile::corruptBlockForTesting(UINT64_MAX);
    EXPECT_TRUE(outcome.reason.starts_with("page 1 of 4 not written: strip 1 differs from the "
                                           "source at byte "))
        << outcome.reason;
    EXPECT_NE(outcome.reason.find("; page 3 of 4 not written: strip 1 differs"), std::string::npos)
        << outcome.reason;
    EXPECT_EQ(entries(), std::vector<std::string>{"big.tif"});

    ASSERT_TRUE(SplitFile(path("big.tif"), progress, &outcome, nullptr, nullptr,
                          withChecks(true, true)))
        << outcome.reason;
    SplitOutcome checked;
    ASSERT_TRUE(CheckFile(path("big.tif"), progress, checked, nullptr, withChecks(false, true)))
        << checked.reason;
    ASSERT_EQ(checked.pages.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(outcome.pages[i].page, static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(checked.pages[i].path, outcome.pages[i].path);
        EXPECT_EQ(checked.pages[i].state, PageFileRecord::Ok);
        EXPECT_EQ(checked.pages[i].sha256, outcome.pages[i].sha256);
        EXPECT_EQ(outcome.pages[i].sha256.size(), 64u);
    }
}

#ifndef _WIN32
// A name the system holds whose page names it refuses: the pages fail, and nothing lands in
// the working folder under a name without its title.
TEST_F(SplitFileTest, PagesOfANameTooLongForTheirNamesFailAndNothingIsWrittenElsewhere) {
    const std::string name = std::string(250, '\xF0') + ".tif";
    test::writeGreyPages(path(name), 2);
    const test::TempFolder elsewhere;
    const fs::path before = fs::current_path();
    fs::current_path(elsewhere.path());
    RecordingProgress progress;
    SplitOutcome outcome;
    const bool split = SplitFile(path(name), progress, &outcome);
    fs::current_path(before);
    EXPECT_FALSE(split);
    EXPECT_EQ(outcome.pagesFailed, 2);
    EXPECT_TRUE(outcome.reason.starts_with("page 1 of 2 not written: ")) << outcome.reason;
    EXPECT_EQ(entries(), std::vector<std::string>{name});
    EXPECT_EQ(elsewhere.names(), std::vector<std::string>{});
}
#endif

TEST_F(SplitFileTest, PlanNamesThePagesWithoutWriting) {
    test::writeGreyPages(path("scan.tif"), 10);
    std::vector<fs::path> pages;
    ASSERT_TRUE(PlanPageFiles(path("scan.tif"), pages));
    ASSERT_EQ(pages.size(), 10u);
    EXPECT_EQ(pages.front(), path("scan_page_01.tif"));
    EXPECT_EQ(pages.back(), path("scan_page_10.tif"));
    EXPECT_EQ(entries(), std::vector<std::string>{"scan.tif"});
}

} // namespace
