// Start-up, "...", and the inputs, through a window without a toolkit.
#include <gtest/gtest.h>

#include "FakeWindow.h"
#include "PathText.h"
#include "RulesTestSupport.h"
#include "TempFolder.h"
#include "frmMainRules.h"

using namespace plexifold;
using namespace plexifold::test;
using app::Control;
using app::MessageIcon;

namespace {

using Places = std::vector<std::pair<std::string, const TempFolder*>>;

// Replaces each "<place>" in `pattern` with the folder's path.
std::string expand(std::string pattern, const Places& places) {
    for (const auto& [key, folder] : places)
        for (auto at = pattern.find(key); at != std::string::npos; at = pattern.find(key))
            pattern.replace(at, key.size(), text(folder->path()));
    return pattern;
}

class WindowRulesTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::current_path(m_cwd.path()); }
    void TearDown() override { std::filesystem::current_path(m_cwd.path().parent_path()); }

    std::string folder() const { return text(m_folder.path()); }

    TempFolder m_folder;
    TempFolder m_cwd; // the working directory while a test runs
    FakeWindow m_window;
};

struct StartCase {
    const char* name;
    std::optional<std::string> stored; // nullopt: nothing stored
    std::vector<std::string> folderFiles, cwdFiles;
    std::string shown;
    std::vector<std::string> listed;
};

TEST_F(WindowRulesTest, StartupRestoresTheStoredFolderWithoutAMessage) {
    const std::vector<std::string> images{"b.TIFF", "a.tif", "notes.txt"};
    const std::vector<std::string> sorted{"a.tif", "b.TIFF"};
    const std::vector<std::string> none;
    const StartCase cases[] = {
        {"folder with images", "<folder>", images, {"w.tif"}, "<folder>", sorted},
        {"trailing separator", "<folder>/", images, {}, "<folder>", sorted},
        {"folder without images", "<folder>", {"notes.txt"}, {"w.tif"}, "<folder>", none},
        {"folder gone", "<folder>/gone", images, {"w.tif"}, "<cwd>", {"w.tif"}},
        {"folder gone, cwd empty", "<folder>/gone", images, {}, "<cwd>", none},
        {"nothing stored", std::nullopt, images, {"w.tif"}, "<cwd>", {"w.tif"}},
        {"empty text", "", images, {"w.tif"}, "<cwd>", {"w.tif"}},
        {"blanks", "  ", images, {}, "<cwd>", none},
        {"a file", "<folder>/a.tif", images, {"w.tif"}, "<cwd>", {"w.tif"}},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder, cwd;
        std::filesystem::current_path(cwd.path());
        const auto expanded = [&](const std::string& t) {
            return expand(t, {{"<folder>", &folder}, {"<cwd>", &cwd}});
        };
        touchFiles(folder.path(), c.folderFiles);
        touchHiddenFile(folder.path(), ".hidden.tif");
        touchFiles(cwd.path(), c.cwdFiles);
        FakeWindow window;
        if (c.stored)
            window.stored = expanded(*c.stored);
        app::frmMainRules rules(window);
        rules.Form_Load();
        EXPECT_EQ(window.path, expanded(c.shown));
        EXPECT_EQ(names(rules.File1()), c.listed);
        EXPECT_EQ(window.isEnabled(Control::cmdConvert), !c.listed.empty());
        EXPECT_EQ(window.caption, "Plexifold");
        EXPECT_TRUE(window.messages.empty());
        EXPECT_TRUE(window.pickerPrompts.empty());
        rules.close();
        EXPECT_EQ(window.settingWrites, 0);
        std::filesystem::current_path(m_cwd.path());
    }
}

// Names in other scripts and a folder name with blanks and a comma survive the store.
TEST_F(WindowRulesTest, StartupRestoresAFolderNamedInAnyScript) {
#ifdef _WIN32
    const std::string named = folder() + "\\ Сканы, 扫描"; // Windows drops a blank at the end
#else
    const std::string named = folder() + "/ Сканы, 扫描 ";
#endif
    std::filesystem::create_directory(files::PathFromUtf8(named));
    touchFiles(files::PathFromUtf8(named), {"αβγ.TIF", "Überweisung.tif"});
    m_window.stored = named;
    app::frmMainRules rules(m_window);
    rules.Form_Load();
    EXPECT_EQ(m_window.path, named);
    EXPECT_EQ(names(rules.File1()), (std::vector<std::string>{"Überweisung.tif", "αβγ.TIF"}));
}

// A root is the one folder shown with a separator at its end.
TEST_F(WindowRulesTest, StartupRestoresTheRoot) {
    const std::string root = text(m_folder.path().root_path());
    m_window.stored = root;
    app::frmMainRules rules(m_window);
    rules.Form_Load();
    EXPECT_EQ(m_window.path, root);
    EXPECT_TRUE(m_window.messages.empty());
}

struct BrowseCase {
    const char* name;
    std::vector<std::string> chosenFiles;
    std::deque<std::string> answers; // what the picker returns, one per click
    std::string shown;               // in the folder box afterwards
    std::vector<std::string> listed;
    int warnings;
};

TEST_F(WindowRulesTest, ChoosingAFolder) {
    const BrowseCase cases[] = {
        {"cancel", {"c.tif"}, {""}, "<start>", {"s.tif"}, 0},
        {"blanks", {"c.tif"}, {"   "}, "<start>", {"s.tif"}, 0},
        {"folder with images",
         {"c.TIF", "b.tiff", "a.txt"},
         {"<folder>"},
         "<folder>",
         {"b.tiff", "c.TIF"},
         0},
        {"trailing separator", {"c.tif"}, {"<folder>/"}, "<folder>", {"c.tif"}, 0},
        {"folder without images", {"a.txt"}, {"<folder>"}, kPrompt, {}, 1},
        // A folder that cannot be listed leaves the list where it was.
        {"folder gone", {}, {"<folder>/gone"}, "<start>", {"s.tif"}, 0},
        {"again after the warning", {"c.tif"}, {"<empty>", "<folder>"}, "<folder>", {"c.tif"}, 1},
    };
    for (const BrowseCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder start, chosen, empty;
        const auto expanded = [&](const std::string& t) {
            return expand(t, {{"<folder>", &chosen}, {"<start>", &start}, {"<empty>", &empty}});
        };
        touchFiles(start.path(), {"s.tif"});
        touchFiles(chosen.path(), c.chosenFiles);
        FakeWindow window;
        window.stored = text(start.path());
        for (const auto& answer : c.answers)
            window.folders.push_back(expanded(answer));
        window.whileMessageOpen = [&] { EXPECT_NE(window.path, kPrompt); };
        app::frmMainRules rules(window);
        rules.Form_Load();
        for (std::size_t i = 0; i < c.answers.size(); ++i)
            rules.cmdBrowse_Click();

        EXPECT_EQ(window.pickerPrompts, std::vector<std::string>(c.answers.size(), kPrompt));
        EXPECT_EQ(window.path, expanded(c.shown));
        EXPECT_EQ(names(rules.File1()), c.listed);
        EXPECT_EQ(window.isEnabled(Control::cmdConvert), !c.listed.empty());
        ASSERT_EQ(window.messages.size(), std::size_t(c.warnings));
        for (const auto& message : window.messages) {
            EXPECT_EQ(message.text, kWarning);
            EXPECT_EQ(message.icon, MessageIcon::Exclamation);
        }
        EXPECT_EQ(window.settingWrites, 0);
    }
}

// A picker that fails leaves the prompt, and the list as it was.
TEST_F(WindowRulesTest, FailingPickerLeavesThePrompt) {
    touchFiles(m_folder.path(), {"s.tif"});
    m_window.stored = folder();
    m_window.pickerFails = true;
    app::frmMainRules rules(m_window);
    rules.Form_Load();
    rules.cmdBrowse_Click();
    EXPECT_EQ(m_window.path, kPrompt);
    EXPECT_EQ(names(rules.File1()), std::vector<std::string>{"s.tif"});
    EXPECT_TRUE(m_window.isEnabled(Control::cmdConvert));
    EXPECT_TRUE(m_window.messages.empty());
}

// The list is read when the folder is chosen, not later.
TEST_F(WindowRulesTest, ListIsReadWhenChosen) {
    touchFiles(m_folder.path(), {"c.tif"});
    m_window.folders = {folder(), folder()};
    app::frmMainRules rules(m_window);
    rules.Form_Load();
    rules.cmdBrowse_Click();
    touchFiles(m_folder.path(), {"d.tif"});
    EXPECT_EQ(names(rules.File1()), std::vector<std::string>{"c.tif"});
    rules.cmdBrowse_Click();
    EXPECT_EQ(names(rules.File1()), (std::vector<std::string>{"c.tif", "d.tif"}));
}

TEST_F(WindowRulesTest, InputsAreEnabledTogether) {
    app::frmMainRules rules(m_window); // an empty working directory: nothing listed
    rules.Form_Load();
    EXPECT_FALSE(m_window.isEnabled(Control::cmdConvert));
    rules.SetInputsEnabled(false);
    EXPECT_FALSE(m_window.snapshot().anyInputEnabled);
    rules.SetInputsEnabled(true); // whatever the list holds
    for (auto control : {Control::txtPath, Control::cmdBrowse, Control::cmdConvert})
        EXPECT_TRUE(m_window.isEnabled(control));
    rules.txtPath_Change();
    EXPECT_FALSE(m_window.isEnabled(Control::cmdConvert));
}

} // namespace
