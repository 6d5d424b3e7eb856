// "&Execute": every listed file is split on a worker, with progress, and the run ends
// with a box; through a window without a toolkit.
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeWindow.h"
#include "FileBytes.h"
#include "Folder.h"
#include "GreyPages.h"
#include "PathText.h"
#include "RawTiff.h"
#include "RulesTestSupport.h"
#include "TempFolder.h"
#include "frmMainRules.h"

using namespace plexifold;
using namespace plexifold::test;
using app::Control;
using app::MessageIcon;

namespace {

std::string processing(const std::string& name, int page, int count) {
    return "Processing " + name + " (" + std::to_string(page) + " from " + std::to_string(count) +
           ")";
}

class BatchRunTest : public ::testing::Test {
protected:
    std::filesystem::path path(const std::string& name) const {
        return m_folder.path() / files::PathFromUtf8(name);
    }
    void writeTiff(const std::string& name, int pages) { writeGreyPages(path(name), pages); }
    /// The names of the folder's files that hold "_page_", sorted.
    std::vector<std::string> pageFiles() const {
        std::vector<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.path()))
            if (entry.is_regular_file() &&
                text(entry.path().filename()).find("_page_") != std::string::npos)
                result.push_back(text(entry.path().filename()));
        std::sort(result.begin(), result.end());
        return result;
    }
    /// Loads the window on the folder and clicks "&Execute".
    void start() {
        m_window.stored = text(m_folder.path());
        m_rules.Form_Load();
        m_rules.cmdConvert_Click();
    }
    bool runToTheBox(std::size_t boxes = 1, bool framesPass = true) {
        return m_window.runUntil([&] { return m_window.messages.size() >= boxes; }, framesPass);
    }

    TempFolder m_folder;
    FakeWindow m_window;
    app::frmMainRules m_rules{m_window};
};

TEST_F(BatchRunTest, SplitsEveryListedFileInOrderAndEndsWithDone) {
    writeTiff("c.tif", 12);
    writeTiff("a.tif", 3);
    writeTiff("b%1x%2F.TIFF", 1); // a name is never read as a pattern
    start();
    EXPECT_FALSE(m_window.snapshot().anyInputEnabled);
    ASSERT_TRUE(runToTheBox());

    ASSERT_EQ(m_window.messages.size(), 1u);
    EXPECT_EQ(m_window.messages[0].text, "Done!");
    EXPECT_EQ(m_window.messages[0].icon, MessageIcon::Information);
    std::vector<std::string> expected{"a_page_1.tif", "a_page_2.tif", "a_page_3.tif",
                                      "b%1x%2F_page_1.TIFF"};
    for (int page = 1; page <= 12; ++page)
        expected.push_back("c_page_" + std::string(page < 10 ? "0" : "") + std::to_string(page) +
                           ".tif");
    EXPECT_EQ(pageFiles(), expected);
    for (const auto& name : expected)
        EXPECT_EQ(countPages(path(name)), 1) << name;

    // Pages were shown in list order, ending with the last page, with the inputs off,
    // the label shown and the folder stored.
    std::vector<std::string> all;
    for (const auto& [file, count] : {std::pair{"a.tif", 3}, {"b%1x%2F.TIFF", 1}, {"c.tif", 12}})
        for (int page = 1; page <= count; ++page)
            all.push_back(processing(file, page, count));
    ASSERT_FALSE(m_window.shown.empty());
    auto next = all.begin();
    for (std::size_t i = 0; i < m_window.shown.size(); ++i) {
        const auto& state = m_window.shown[i];
        next = std::find(next, all.end(), state.text);
        ASSERT_NE(next, all.end()) << state.text;
        EXPECT_GE(state.value, state.minimum);
        EXPECT_LE(state.value, state.maximum);
        EXPECT_TRUE(m_window.shownAt[i].progressVisible);
        EXPECT_FALSE(m_window.shownAt[i].anyInputEnabled);
        EXPECT_EQ(m_window.shownAt[i].stored, text(m_folder.path()));
    }
    EXPECT_EQ(m_window.shown.back().text, all.back());
    // The bar is back at its minimum once the last file is done.
    EXPECT_EQ(m_window.shown.back().minimum, 1);
    EXPECT_EQ(m_window.shown.back().maximum, 12);
    EXPECT_EQ(m_window.shown.back().value, 1);

    // While the box is open: caption reset, label still there, inputs still off.
    const auto& whileOpen = m_window.messages[0].whileOpen;
    EXPECT_EQ(whileOpen.caption, "Plexifold");
    EXPECT_TRUE(whileOpen.progressVisible);
    EXPECT_FALSE(whileOpen.anyInputEnabled);
    // After it: back to idle.
    EXPECT_FALSE(m_window.progressVisible);
    for (auto control : {Control::txtPath, Control::cmdBrowse, Control::cmdConvert})
        EXPECT_TRUE(m_window.isEnabled(control));
    EXPECT_FALSE(m_rules.isRunning());
}

TEST_F(BatchRunTest, FailingFilesAreNamedInTheBox) {
    writeTiff("a.tif", 2);
    writeFileBytes(path("bad.tif"), {'n', 'o', 't', ' ', 'a', ' ', 'T', 'I', 'F'});
    writeTiff("c.tif", 3);
    std::filesystem::create_directory(path("c_page_2.tif")); // stands where page 2 must go
    writeTiff("d.tif", 2);
    start();
    ASSERT_TRUE(runToTheBox());

    const auto& box = m_window.messages[0];
    EXPECT_EQ(box.icon, MessageIcon::Warning);
    EXPECT_TRUE(box.text.starts_with("Done!\n\n2 of 4 files could not be split:\nbad.tif: "))
        << box.text;
    EXPECT_NE(box.text.find("\nc.tif: page 2 of 3 not written: "), std::string::npos) << box.text;
    EXPECT_EQ(std::count(box.text.begin(), box.text.end(), '\n'), 4) << box.text;
}

// A folder past the classic limit of 260 characters is listed and split like any other.
TEST_F(BatchRunTest, SplitsAFolderPastTheClassicPathLimit) {
    const std::filesystem::path folder = longFolderIn(m_folder.path());
    std::filesystem::create_directories(folder);
    writeGreyPages(folder / "a.tif", 2);
    m_window.stored = text(folder);
    m_rules.Form_Load();
    m_rules.cmdConvert_Click();
    ASSERT_TRUE(runToTheBox());
    EXPECT_EQ(m_window.messages[0].text, "Done!");
    auto names = files::ShownFilesIn(folder).value();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::filesystem::path>{"a.tif", "a_page_1.tif", "a_page_2.tif"}));
}

// The page files of a run are not in the list; a second run splits the same names.
TEST_F(BatchRunTest, SecondRunSplitsTheSameNames) {
    writeTiff("a.tif", 2);
    writeTiff("b.tif", 3);
    start();
    ASSERT_TRUE(runToTheBox());
    m_rules.cmdConvert_Click();
    ASSERT_TRUE(runToTheBox(2));
    EXPECT_EQ(m_window.shown.back().text, processing("b.tif", 3, 3));
    EXPECT_EQ(m_window.messages[1].text, "Done!");
    EXPECT_EQ(pageFiles().size(), 5u);
}

// However many pages go by, the window shows one state a frame: with no frame passing,
// the first page and the last.
TEST_F(BatchRunTest, ProgressIsShownAtMostOnceAFrame) {
    for (int i = 0; i < 100; ++i)
        writeTiff("f" + std::to_string(1000 + i) + ".tif", 2);
    start();
    ASSERT_TRUE(runToTheBox(1, false));
    ASSERT_GE(m_window.shown.size(), 1u);
    EXPECT_LE(m_window.shown.size(), 2u);
    EXPECT_EQ(m_window.shown.back().text, processing("f1099.tif", 2, 2));
    EXPECT_EQ(pageFiles().size(), 200u);
}

// A folder box holding only blanks starts nothing and stores nothing.
// Spaces alone leave nothing to run; a tab is text like any other (the list still holds the
// folder's files), so the run goes ahead and the text is stored as it stands.
TEST_F(BatchRunTest, FolderBoxOfSpacesDoesNothingButATabCounts) {
    writeTiff("a.tif", 2);
    m_window.stored = text(m_folder.path());
    m_rules.Form_Load();
    m_window.path = "   ";
    m_rules.cmdConvert_Click();
    EXPECT_FALSE(m_rules.isRunning());
    EXPECT_TRUE(m_window.isEnabled(Control::cmdConvert));
    EXPECT_FALSE(m_window.progressVisible);
    EXPECT_EQ(m_window.settingWrites, 0);
    EXPECT_TRUE(pageFiles().empty());

    m_window.path = " \t ";
    m_rules.cmdConvert_Click();
    ASSERT_TRUE(runToTheBox());
    EXPECT_EQ(m_window.stored, " \t ");
    EXPECT_EQ(pageFiles().size(), 2u);
}

// After a failed choice the box holds the prompt while the list keeps its names:
// the run stores that text and splits the names.
TEST_F(BatchRunTest, RunAfterAFailedChoice) {
    writeTiff("a.tif", 2);
    m_window.stored = text(m_folder.path());
    m_window.pickerFails = true;
    m_rules.Form_Load();
    m_rules.cmdBrowse_Click();
    m_rules.cmdConvert_Click();
    ASSERT_TRUE(runToTheBox());
    EXPECT_EQ(m_window.stored, kPrompt);
    EXPECT_EQ(pageFiles().size(), 2u);
}

// Closing the window mid-run stops after the page in work and shows no box.
TEST_F(BatchRunTest, ClosingDuringARunStopsAfterThePageInWork) {
    for (int i = 0; i < 200; ++i)
        writeTiff("f" + std::to_string(1000 + i) + ".tif", 2);
    start();
    m_window.onProgress = [&] { m_rules.close(); };
    ASSERT_TRUE(m_window.runUntil([&] { return !m_rules.isRunning(); }));
    m_window.onProgress = nullptr;
    const auto written = pageFiles();
    EXPECT_LT(written.size(), 400u);
    for (const auto& name : written)
        EXPECT_EQ(countPages(path(name)), 1) << name;
    // Whatever the stopped run had left on its way shows nothing and no box.
    const auto shown = m_window.shown.size();
    m_window.runUntil([] { return true; });
    m_window.nextFrame();
    EXPECT_EQ(m_window.shown.size(), shown);
    EXPECT_TRUE(m_window.messages.empty());
    EXPECT_EQ(m_window.settingWrites, 1);
    EXPECT_EQ(pageFiles(), written);
}

// A page of 2 GiB of pixels in a sparse file: copying it whole would take seconds.
TEST_F(BatchRunTest, ClosingDuringAHugePageGivesItUpAndLeavesNothing) {
    constexpr std::uint32_t kWidth = 1 << 16, kRows = 1 << 15;
    constexpr std::uint64_t kData = 4096, kBytes = std::uint64_t{kWidth} * kRows;
    RawTiff tiff;
    tiff.setFirstDirectory(tiff.addDirectory(tiff.greyPage(kWidth, kRows, {kData}, {kBytes})));
    ASSERT_LT(tiff.data().size(), kData);
    writeFileBytes(path("huge.tif"), tiff.data());
    std::filesystem::resize_file(path("huge.tif"), kData + kBytes);
    start();
    m_window.onProgress = [&] { m_rules.close(); };
    ASSERT_TRUE(m_window.runUntil([&] { return !m_rules.isRunning(); }));
    EXPECT_EQ(m_folder.names(), std::vector<std::string>{"huge.tif"});
    EXPECT_TRUE(m_window.messages.empty());
}

struct ReportCase {
    const char* name;
    std::size_t files;
    std::size_t failed;
    std::string text;
};

std::string failureLines(std::size_t from, std::size_t to) {
    std::string lines;
    for (std::size_t i = from; i <= to; ++i)
        lines += "\nf" + std::to_string(i) + ".tif: reason " + std::to_string(i);
    return lines;
}

TEST(BatchReportTest, TheEndBoxCountsAndNamesTheFailures) {
    const std::string head = "Done!\n\n";
    const ReportCase cases[] = {
        {"all through", 5, 0, "Done!"},
        {"no files", 0, 0, "Done!"},
        {"two of five", 5, 2, head + "2 of 5 files could not be split:" + failureLines(1, 2)},
        {"the only file", 1, 1, head + "1 of 1 file could not be split:" + failureLines(1, 1)},
        {"ten listed", 10, 10, head + "10 of 10 files could not be split:" + failureLines(1, 10)},
        {"one more", 11, 11,
         head + "11 of 11 files could not be split:" + failureLines(1, 10) + "\n\u2026 and 1 more"},
        {"many more", 40000, 12345,
         head + "12345 of 40000 files could not be split:" + failureLines(1, 10) +
             "\n\u2026 and 12335 more"},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.name);
        app::BatchReport report;
        report.fileCount = c.files;
        for (std::size_t i = 1; i <= c.failed; ++i)
            report.failures.push_back(
                {"f" + std::to_string(i) + ".tif", "reason " + std::to_string(i)});
        EXPECT_EQ(report.messageText(), c.text);
        EXPECT_EQ(report.messageIcon(), c.failed ? MessageIcon::Warning : MessageIcon::Information);
    }
}

// A name or reason holding "%1" is shown as it is.
TEST(BatchReportTest, NamesAreNeverReadAsPatterns) {
    app::BatchReport report;
    report.fileCount = 2;
    report.failures.push_back({"%1.tif", "a%2Fb %3"});
    EXPECT_EQ(report.messageText(), "Done!\n\n1 of 2 files could not be split:\n%1.tif: a%2Fb %3");
}

} // namespace
