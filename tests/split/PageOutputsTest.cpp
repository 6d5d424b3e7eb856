#include <gtest/gtest.h>

#include <map>
#include <set>

#include "PageNaming.h"
#include "PageOutputs.h"
#include "PathText.h"

using namespace plexifold;

namespace {

// A folder listing with the page count of each file; no file is read.
const std::map<std::string, std::int32_t> kListed = {
    {"/s/doc.tif", 12},
    {"/s/doc_page_03.tif", 1},
    {"/s/doc_page_3.tif", 1},
    {"/s/doc_page_13.tif", 1},
    {"/s/fax.tif", 9},
    {"/s/fax_page_1.tif", 2},
    {"/s/a.b.tiff", 3},
    {"/s/a_page_2.b.tiff", 1},
    {"/s/lone_page_1.tif", 1},
    {"/s/x_page_2.tif", 4},
    {"/s/x_page_2_page_1.tif", 1},
    {"/s/_page_1.tif", 1},
    {"/s/скан.tif", 2},
    {"/s/скан_page_2.tif", 1},
    {"/s/doc_page_03.TIF", 1},
};

TEST(PageOutputs, TellsPageFilesOfListedFilesFromSources) {
    struct Case {
        const char* file;
        const char* source; // "" : a source
    } cases[] = {
        {"/s/doc_page_03.tif", "/s/doc.tif"},
        {"/s/doc_page_3.tif", ""},  // not the padding a 12-page split gives
        {"/s/doc_page_13.tif", ""}, // past the last page
        {"/s/fax_page_1.tif", ""},  // a file of several pages is a source
        {"/s/a_page_2.b.tiff", "/s/a.b.tiff"},
        {"/s/lone_page_1.tif", ""},                    // its would-be source is not listed
        {"/s/x_page_2_page_1.tif", "/s/x_page_2.tif"}, // a page of a page-like name
        {"/s/_page_1.tif", ""},
        {"/s/скан_page_2.tif", "/s/скан.tif"},
        {"/s/doc_page_03.TIF", ""}, // doc.TIF is not listed
        {"/s/doc.tif", ""},
    };
    std::multiset<std::string> counted;
    const DefaultPageNames names;
    PageOutputs outputs(
        names, [](const std::filesystem::path& p) { return kListed.contains(files::Utf8Of(p)); },
        [&](const std::filesystem::path& p) -> std::optional<std::int32_t> {
            counted.insert(files::Utf8Of(p));
            return kListed.at(files::Utf8Of(p));
        });
    for (const Case& c : cases) {
        const auto source = outputs.sourceOf(files::PathFromUtf8(c.file));
        EXPECT_EQ(source ? files::Utf8Of(*source) : "", c.source) << c.file;
    }
    EXPECT_EQ(counted.count("/s/doc.tif"), 1u) << "a source's pages are counted once";
    EXPECT_EQ(counted.count("/s/lone_page_1.tif"), 0u) << "no count without a listed source";
}

TEST(PageOutputs, ReadsTheNamesTodaysSplitGivesBack) {
    const DefaultPageNames names;
    for (const char* source : {"/s/doc.tif", "/s/a.b.tiff", "/s/README", "/s/文書 1.tiff"})
        for (const std::int32_t total : {1, 12, 100}) {
            const auto page = names.pagePath(files::PathFromUtf8(source), total, total);
            const auto guesses = names.guess(page);
            ASSERT_EQ(guesses.size(), 1u) << files::Utf8Of(page);
            EXPECT_EQ(files::Utf8Of(guesses[0].source), source);
            EXPECT_EQ(guesses[0].page, total);
        }
}

} // namespace
