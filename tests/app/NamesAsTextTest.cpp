// Names the system allows but UTF-8 cannot hold (an unpaired UTF-16 surrogate on Windows,
// bytes that are not UTF-8 on Linux): every text that shows a path shows them with U+FFFD,
// and the page files keep the exact name. Wine cannot create such names, so the files here
// are missing where the system would not let the test make them.
#include <gtest/gtest.h>
#include <optional>

#include "BatchRun.h"
#include "FakeWindow.h"
#include "GreyPages.h"
#include "PageNaming.h"
#include "PathText.h"
#include "SplitFile.h"
#include "TempFolder.h"

namespace plexifold::test {
namespace {

namespace fs = std::filesystem;

struct NameCase {
    const char* name;
    fs::path::string_type native; // a file title ending in ".tif"
    std::string text;
};

const NameCase nameCases[] = {
    {"Plain", fs::path("doc.tif").native(), "doc.tif"},
    {"OtherScripts", fs::path(u8"Überweisungen 日本.tif").native(),
     "\xC3\x9C"
     "berweisungen \xE6\x97\xA5\xE6\x9C\xAC.tif"},
#ifdef _WIN32
    {"UnpairedHighSurrogate", L"scan\xD800.tif", "scan\uFFFD.tif"},
    {"UnpairedLowSurrogate", L"\xDC00scan.tif", "\uFFFDscan.tif"},
    {"SurrogatesSwapped", L"\xDE00\xD83D.tif", "\uFFFD\uFFFD.tif"},
    {"SurrogatePair", L"\xD83D\xDE00.tif", "\xF0\x9F\x98\x80.tif"},
#else
    {"ByteThatIsNotUtf8", "scan\xFF.tif", "scan\uFFFD.tif"},
    {"SequenceCutShort", "scan\xE6\x97.tif", "scan\uFFFD\uFFFD.tif"},
    {"OverlongSequence", "\xC0\xAF.tif", "\uFFFD\uFFFD.tif"},
    {"EncodedSurrogate", "\xED\xA0\x80.tif", "\uFFFD\uFFFD\uFFFD.tif"},
#endif
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.name;
}

bool canCreate(const fs::path& path) {
    try {
        writeGreyPages(path, 2);
    } catch (const std::exception&) {
        return false;
    }
    std::error_code error;
    return fs::exists(path, error);
}

class NameAsText : public testing::TestWithParam<NameCase> {
protected:
    void SetUp() override {
        const NameCase& c = GetParam();
        file = folder.path() / fs::path(c.native);
        folderText = files::Utf8Of(folder.path() / "");
        exists = canCreate(file);
    }
    TempFolder folder;
    fs::path file;
    std::string folderText;
    bool exists = false;
};

TEST_P(NameAsText, IsShownWithReplacementCharactersAndKeptInThePageNames) {
    const NameCase& c = GetParam();
    EXPECT_EQ(files::Utf8Of(fs::path(c.native)), c.text);
    EXPECT_EQ(files::Utf8Of(file), folderText + c.text);
    if (c.text.find("\uFFFD") == std::string::npos) {
        EXPECT_EQ(files::PathFromUtf8(c.text).native(), c.native);
    }
    const auto stem = c.native.substr(0, c.native.size() - 4);
    const fs::path page = PageFilePath(file, 2, 1);
    EXPECT_EQ(FileTitleOf(page).native(), stem + fs::path("_page_1.tif").native());
    EXPECT_EQ(FolderOf(page), FolderOf(file));
}

// What the splitter says of the file (its progress, or why it could not be opened).
TEST_P(NameAsText, IsShownByTheSplitter) {
    const NameCase& c = GetParam();
    struct Progress : SplitProgress {
        void begin(std::int32_t) override {}
        void page(const std::string& text, std::int32_t) override { texts.push_back(text); }
        void end() override {}
        std::vector<std::string> texts;
    } progress;
    SplitOutcome outcome;
    EXPECT_EQ(SplitFile(file, progress, &outcome), exists) << outcome.reason;
    if (exists) {
        EXPECT_EQ(progress.texts.at(0), "Processing " + c.text + " (1 from 2)");
        EXPECT_TRUE(fs::exists(PageFilePath(file, 2, 2)));
    } else {
        EXPECT_TRUE(outcome.reason.starts_with("cannot open " + folderText + c.text + ": "))
            << outcome.reason;
    }
}

// The window's worker and the box at the end of its run.
TEST_P(NameAsText, IsShownInTheEndBox) {
    const NameCase& c = GetParam();
    FakeWindow window;
    std::optional<app::BatchReport> report;
    app::BatchRun run(window, [&](const app::BatchReport& done) { report = done; });
    if (!exists)
        run.start({file});
    else
        run.start({file, folder.path() / "gone.tif"});
    ASSERT_TRUE(window.runUntil([&] { return report.has_value(); }));
    ASSERT_EQ(report->failures.size(), 1u);
    const std::string failed = exists ? "gone.tif" : c.text;
    EXPECT_EQ(report->failures[0].name, failed);
    EXPECT_NE(report->messageText().find("\n" + failed + ": cannot open " + folderText + failed),
              std::string::npos)
        << report->messageText();
}

INSTANTIATE_TEST_SUITE_P(Names, NameAsText, testing::ValuesIn(nameCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Both ways between UTF-8 and UTF-16, as the windows and the command line's arguments take
// them: what one side cannot hold becomes U+FFFD on the other.
TEST(TextAsUtf16, CrossesOverWithReplacementCharacters) {
    const struct {
        std::u16string utf16;
        std::string utf8;
    } both[] = {{u"a\u00DC\u65E5", "a\u00DC\u65E5"}, {u"\U0001F600", "\U0001F600"}, {u"", ""}};
    for (const auto& c : both) {
        EXPECT_EQ(files::Utf8FromUtf16(c.utf16), c.utf8);
        EXPECT_EQ(files::Utf16FromUtf8(c.utf8), c.utf16);
    }
    EXPECT_EQ(files::Utf8FromUtf16(u"x\xD800y\xDFFF"), "x\uFFFDy\uFFFD");
    EXPECT_EQ(files::Utf16FromUtf8("x\xFFy\xE6\x97"), u"x\uFFFDy\uFFFD\uFFFD");
    EXPECT_EQ(files::Utf16FromUtf8("\xED\xA0\x80\xF4\x90\x80\x80"), std::u16string(7, u'\uFFFD'));
}

} // namespace
} // namespace plexifold::test
