#include <gtest/gtest.h>

#include <fstream>
#ifdef _WIN32
#include <windows.h>
#endif

#include "FileList.h"
#include "PageNaming.h"
#include "PathText.h"
#include "TempFolder.h"

using namespace plexifold;
namespace fs = std::filesystem;

namespace {

const std::string kPattern = "*.tif;*.tiff";

void touch(const fs::path& path) {
    std::ofstream file(path);
    ASSERT_TRUE(file) << files::Utf8Of(path);
}

// `names` after the names of `shownOnWindows`: a leading dot hides a name on Linux only,
// Windows hides by attribute.
std::vector<std::string> listedNames(std::vector<std::string> shownOnWindows,
                                     std::vector<std::string> names) {
#ifdef _WIN32
    names.insert(names.begin(), shownOnWindows.begin(), shownOnWindows.end());
#else
    (void)shownOnWindows;
#endif
    return names;
}

std::vector<std::string> namesOf(const FileList& list) {
    std::vector<std::string> names;
    for (const fs::path& name : list.names())
        names.push_back(files::Utf8Of(name));
    return names;
}

TEST(FileList, ListsMatchingFilesOnceSortedWithoutRegardToCase) {
    struct Case {
        std::string pattern;
        std::vector<const char*> files;
        std::vector<std::string> listed;
    };
    for (const Case& c : {
             Case{kPattern,
                  {"b.TIFF", "a.tif", "C.Tif", ".hidden.tif", "notes.txt", "d.tif.bak", "Ä.tif",
                   "e.tiff", "folder.tif/"},
                  listedNames({".hidden.tif"}, {"a.tif", "b.TIFF", "C.Tif", "e.tiff", "Ä.tif"})},
             Case{kPattern,
                  {"Γ.tif", "β.TIF", "α.tif", "Б.tif", "а.tif"},
                  {"α.tif", "β.TIF", "Γ.tif", "а.tif", "Б.tif"}},
             Case{"ä*.tif;?.tif;;",
                  {"Ärger.TIF", "ärger.txt", "x.tif", "xy.tif"},
                  {"x.tif", "Ärger.TIF"}},
             Case{"*.tif;*", {"one.tif", "two.txt"}, {"one.tif", "two.txt"}},
         }) {
        SCOPED_TRACE(c.pattern);
        test::TempFolder dir;
        for (const std::string name : c.files) {
            if (name.ends_with('/'))
                fs::create_directory(dir.path() / files::PathFromUtf8(name));
            else
                touch(dir.path() / files::PathFromUtf8(name));
        }
        FileList list;
        ASSERT_TRUE(list.setPath(dir.path()));
        list.setPattern(c.pattern);
        EXPECT_EQ(namesOf(list), c.listed);
        EXPECT_EQ(list.path(), fs::canonical(dir.path()));
        EXPECT_EQ(list.filePath(0), list.path() / files::PathFromUtf8(c.listed.front()));
    }
}

#ifdef _WIN32
// Hidden and system files are left out; a leading dot hides nothing here.
TEST(FileList, LeavesOutHiddenAndSystemFiles) {
    test::TempFolder dir;
    for (const char* name : {"hidden.tif", "system.tif", "shown.tif", ".dot.tif"})
        touch(dir.path() / name);
    SetFileAttributesW((dir.path() / "hidden.tif").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((dir.path() / "system.tif").c_str(), FILE_ATTRIBUTE_SYSTEM);
    FileList list;
    list.setPattern(kPattern);
    ASSERT_TRUE(list.setPath(dir.path()));
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{".dot.tif", "shown.tif"}));
}
#else
// A name that is not UTF-8 is listed and reaches its file unchanged; it is shown with a
// replacement character.
TEST(FileList, KeepsNamesThatAreNotText) {
    test::TempFolder dir;
    const fs::path name = std::string("scan\xff.tif");
    touch(dir.path() / name);
    FileList list;
    list.setPattern(kPattern);
    ASSERT_TRUE(list.setPath(dir.path()));
    ASSERT_EQ(list.count(), 1);
    EXPECT_TRUE(fs::exists(list.filePath(0)));
    EXPECT_EQ(files::Utf8Of(list.name(0)), "scan\uFFFD.tif");
}
#endif

TEST(FileList, ReadsTheDiskOnlyWhenSet) {
    test::TempFolder dir;
    touch(dir.path() / "a.tif");
    FileList list;
    list.setPattern(kPattern);
    ASSERT_TRUE(list.setPath(dir.path()));
    touch(dir.path() / "b.tif");
    EXPECT_EQ(list.count(), 1);
    ASSERT_TRUE(list.setPath(dir.path() / "." / ""));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.path(), fs::canonical(dir.path()));
}

TEST(FileList, KeepsItsFolderWhenTheNewOneIsNoFolder) {
    test::TempFolder dir;
    touch(dir.path() / "a.tif");
    FileList list;
    EXPECT_EQ(list.path(), fs::current_path());
    list.setPattern(kPattern);
    ASSERT_TRUE(list.setPath(dir.path()));
    for (const fs::path& bad : {fs::path(), dir.path() / "gone", dir.path() / "a.tif",
                                fs::path("Select a folder with '.TIF' files")}) {
        EXPECT_FALSE(list.setPath(bad)) << files::Utf8Of(bad);
        EXPECT_EQ(namesOf(list), std::vector<std::string>{"a.tif"});
        EXPECT_EQ(list.path(), fs::canonical(dir.path()));
    }
}

TEST(FileList, RootEndsInASeparator) {
    FileList list;
    const fs::path root = fs::current_path().root_path();
    ASSERT_TRUE(list.setPath(root));
    EXPECT_EQ(list.path(), root);
    EXPECT_EQ(list.filePath(-1), root);
}

TEST(FileList, HoldsManyFiles) {
    test::TempFolder dir;
    for (int i = 0; i < 40000; ++i) {
        const std::string number = std::to_string(100000 + i).substr(1);
        touch(dir.path() / ("f" + number + ".tif"));
    }
    FileList list;
    ASSERT_TRUE(list.setPath(dir.path()));
    list.setPattern(kPattern);
    ASSERT_EQ(list.count(), 40000);
    EXPECT_EQ(list.name(39999), "f39999.tif");
}

} // namespace
