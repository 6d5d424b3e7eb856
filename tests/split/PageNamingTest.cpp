#include <gtest/gtest.h>

#include <algorithm>

#include "NameTemplate.h"
#include "PageNaming.h"
#include "PathText.h"

using namespace plexifold;

namespace {

struct NameCase {
    const char* path;
    const char* title;
    const char* folder;
    const char* extension;
    const char* base;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << '"' << c.path << '"';
}

// File titles of 499 UTF-16 units are the longest handed out; "😀" takes two.
const std::string kBase499 = std::string(495, 'a');
const std::string kTitle499 = kBase499 + ".tif";
const std::string kTitle500 = std::string(494, 'a') + "\xF0\x9F\x98\x80" + ".tif";
const std::string kPath499 = "/s/" + kTitle499;
const std::string kPath500 = "/s/" + kTitle500;

class PathParts : public testing::TestWithParam<NameCase> {};

TEST_P(PathParts, TakesThePathApartByItsFileName) {
    const NameCase& c = GetParam();
    const std::filesystem::path path = files::PathFromUtf8(c.path);
    EXPECT_EQ(files::Utf8Of(FileTitleOf(path)), c.title);
    EXPECT_EQ(files::Utf8Of(FolderOf(path)), c.folder);
    EXPECT_EQ(files::Utf8Of(ExtensionOf(path)), c.extension);
    EXPECT_EQ(files::Utf8Of(BaseNameOf(path)), c.base);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathParts,
    testing::Values(
        NameCase{"/scans/doc.tif", "doc.tif", "/scans/", "tif", "doc"},
        NameCase{"/scans/a.b.tiff", "a.b.tiff", "/scans/", "b.tiff", "a"},
        NameCase{"/home/me/my.scans/doc.tif", "doc.tif", "/home/me/my.scans/", "tif", "doc"},
        NameCase{"/home/me/.cache/doc.TIFF", "doc.TIFF", "/home/me/.cache/", "TIFF", "doc"},
        NameCase{"/x.tif/x.tif", "x.tif", "/x.tif/", "tif", "x"},
        NameCase{"/scans/README", "README", "/scans/", "", "README"},
        NameCase{"doc.tif", "doc.tif", "", "tif", "doc"}, NameCase{"/scans/", "", "", "", ""},
        NameCase{"", "", "", "", ""},
        NameCase{"/сканы/документ.tif", "документ.tif", "/сканы/", "tif", "документ"},
        NameCase{"/スキャン/文書 1.tiff", "文書 1.tiff", "/スキャン/", "tiff", "文書 1"},
        NameCase{"/web/%1%2.tif", "%1%2.tif", "/web/", "tif", "%1%2"},
        NameCase{kPath499.c_str(), kTitle499.c_str(), "/s/", "tif", kBase499.c_str()},
        NameCase{kPath500.c_str(), "", "", "", ""}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::to_string(info.index); });

TEST(PageNumberText, FillsToTheDigitsOfTheTotal) {
    struct Case {
        std::int32_t total, page;
        const char* text;
    };
    for (const Case& c :
         {Case{1, 1, "1"}, Case{9, 9, "9"}, Case{10, 1, "01"}, Case{12, 3, "03"},
          Case{99, 99, "99"}, Case{100, 7, "007"}, Case{1000, 1, "0001"}, Case{1000, 1000, "1000"},
          Case{5, 12, "12"}, Case{2147483647, 1, "0000000001"}})
        EXPECT_EQ(PageNumberText(c.total, c.page), c.text) << c.total << " " << c.page;
}

TEST(PageFilePath, BuildsEachPageName) {
    struct Case {
        const char* path;
        std::int32_t total, page;
        const char* name;
    };
    for (const Case& c : {
             Case{"/scans/doc.tif", 12, 1, "/scans/doc_page_01.tif"},
             Case{"/scans/doc.tif", 12, 12, "/scans/doc_page_12.tif"},
             Case{"/scans/doc.tif", 9, 9, "/scans/doc_page_9.tif"},
             Case{"/scans/doc.tif", 1, 1, "/scans/doc_page_1.tif"},
             Case{"/scans/a.b.tiff", 3, 1, "/scans/a_page_1.b.tiff"},
             Case{"/scans/DOC.TIFF", 100, 7, "/scans/DOC_page_007.TIFF"},
             Case{"/my.scans/doc.tif", 3, 1, "/my.scans/doc_page_1.tif"},
             Case{"/x.tif/x.tif", 2, 2, "/x.tif/x_page_2.tif"},
             Case{"/scans/noext", 2, 1, "/scans/noext_page_1"},
             Case{"/σάρωση/έγγραφο.tif", 10, 10, "/σάρωση/έγγραφο_page_10.tif"},
             Case{"/web/a%2Fb.tif", 12, 3, "/web/a%2Fb_page_03.tif"},
         })
        EXPECT_EQ(files::Utf8Of(PageFilePath(files::PathFromUtf8(c.path), c.total, c.page)),
                  c.name);
}

} // namespace

namespace {

namespace fs = std::filesystem;

// The default gives today's names; a template needs {page} and no folder.
TEST(NameTemplate, NamesPagesAndRefusesWhatCannotName) {
    struct Case {
        const char* text; // nullptr: the default
        const char* source;
        std::int32_t total;
        std::int32_t page;
        const char* name; // nullptr: a usage error
    };
    for (const Case& c : {
             Case{nullptr, "/s/a.b.tiff", 3, 1, "a_page_1.b.tiff"},
             Case{nullptr, "/s/doc.tif", 12, 3, "doc_page_03.tif"},
             Case{nullptr, "/s/scan", 100, 7, "scan_page_007"},
             Case{nullptr, "/s/日本.TIFF", 9, 9, "日本_page_9.TIFF"},
             Case{"{stem}-{page}of{pages}.{ext}", "/s/fax.tif", 10, 2, "fax-02of10.tif"},
             Case{"p{page}.{ext}", "/s/x", 2, 1, "p1"},
             Case{"{stem}.{ext}{page}", "/s/a.tif", 1, 1, "a.tif1"},
             Case{"[{page}] {stem} (x+).{ext}", "/s/a b.tiff", 3, 2, "[2] a b (x+).tiff"},
             Case{"{stem}.tif", "/s/a.tif", 1, 1, nullptr},
             Case{"sub/{page}.tif", "/s/a.tif", 1, 1, nullptr},
             Case{"sub\\{page}.tif", "/s/a.tif", 1, 1, nullptr},
             Case{"{page}{nope}.tif", "/s/a.tif", 1, 1, nullptr},
             Case{"{page", "/s/a.tif", 1, 1, nullptr},
         }) {
        std::string error;
        const std::optional<NameTemplate> name =
            c.text ? NameTemplate::parse(c.text, error) : NameTemplate();
        ASSERT_EQ(name.has_value(), c.name != nullptr) << (c.text ? c.text : "default");
        if (name) {
            const fs::path source = files::PathFromUtf8(c.source);
            const fs::path page = name->fileName(source, c.total, c.page);
            EXPECT_EQ(files::Utf8Of(page), c.name);
            // Read backwards, the name gives its source and page again, when it holds the stem.
            const std::vector<PageGuess> guesses = name->guess(FolderOf(source) / page);
            EXPECT_EQ(std::ranges::count_if(guesses,
                                            [&](const PageGuess& g) {
                                                return g.source == source && g.page == c.page;
                                            }),
                      name->text().find("{stem}") != std::string::npos && c.source[3] != 'x')
                << c.name;
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

} // namespace
