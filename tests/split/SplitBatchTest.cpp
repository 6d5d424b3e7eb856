// The loop over a run's files that the window and the command line share.
#include <gtest/gtest.h>

#include <algorithm>

#include "FileBytes.h"
#include "GreyPages.h"
#include "PageNaming.h"
#include "PathText.h"
#include "SplitBatch.h"
#include "TempFolder.h"

using namespace plexifold;
namespace fs = std::filesystem;

namespace {

// Records the run; `onPage` runs at each page report.
struct RecordingObserver : BatchObserver, SplitProgress {
    std::vector<std::pair<std::size_t, std::string>> started;
    std::vector<FileResult> results;
    std::function<void(std::int32_t)> onPage;

    SplitProgress& fileStarted(std::size_t index, const fs::path& path) override {
        started.emplace_back(index, files::Utf8Of(FileTitleOf(path)));
        return *this;
    }
    void fileFinished(std::size_t, const fs::path&, const FileResult& result) override {
        results.push_back(result);
    }
    void begin(std::int32_t) override {}
    void page(const std::string&, std::int32_t value) override {
        if (onPage)
            onPage(value);
    }
    void end() override {}
};

class SplitBatchTest : public testing::Test {
protected:
    fs::path path(const std::string& name) const { return m_dir.path() / name; }
    std::vector<fs::path> files(std::initializer_list<const char*> names) const {
        std::vector<fs::path> result;
        for (const char* name : names)
            result.push_back(path(name));
        return result;
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names = m_dir.names();
        std::ranges::sort(names);
        return names;
    }

    test::TempFolder m_dir;
    RecordingObserver m_observer;
};

TEST_F(SplitBatchTest, SplitsInOrderAndAFailureCostsOnlyItself) {
    test::writeGreyPages(path("a.tif"), 2);
    test::writeFileBytes(path("bad.tif"), {'n', 'o', 't', ' ', 'a', ' ', 'T', 'I', 'F'});
    test::writeGreyPages(path("c.tif"), 3);
    fs::create_directory(path("c_page_2.tif")); // stands where page 2 must go
    test::writeGreyPages(path("d.tif"), 2);

    const BatchTotals totals =
        SplitBatch(m_observer).run(files({"a.tif", "bad.tif", "c.tif", "d.tif"}));

    using Started = std::vector<std::pair<std::size_t, std::string>>;
    EXPECT_EQ(m_observer.started,
              (Started{{0, "a.tif"}, {1, "bad.tif"}, {2, "c.tif"}, {3, "d.tif"}}));
    ASSERT_EQ(m_observer.results.size(), 4u);
    EXPECT_TRUE(m_observer.results[0].ok);
    EXPECT_FALSE(m_observer.results[1].ok);
    EXPECT_FALSE(m_observer.results[1].outcome.reason.empty());
    EXPECT_FALSE(m_observer.results[2].ok);
    EXPECT_TRUE(m_observer.results[2].outcome.reason.starts_with("page 2 of 3 not written: "))
        << m_observer.results[2].outcome.reason;
    EXPECT_EQ(totals.files, 4u);
    EXPECT_EQ(totals.failed, 2u);
    EXPECT_EQ(totals.pagesWritten, 6);
    EXPECT_EQ(totals.pagesFailed, 1);
    EXPECT_FALSE(totals.stopped);
    EXPECT_EQ(entries(),
              (std::vector<std::string>{"a.tif", "a_page_1.tif", "a_page_2.tif", "bad.tif", "c.tif",
                                        "c_page_1.tif", "c_page_2.tif", "c_page_3.tif", "d.tif",
                                        "d_page_1.tif", "d_page_2.tif"}));
    EXPECT_TRUE(fs::is_directory(path("c_page_2.tif")));
}

// The user's own x_page_1.tif sorts after x.tif: page 1 of x.tif must not replace it before
// it is split. A file outside the run is replaced as ever.
TEST_F(SplitBatchTest, APageFileNeverReplacesAFileOfTheRun) {
    test::writeGreyPages(path("x.tif"), 2);
    test::writeGreyPages(path("x_page_1.tif"), 3);
    test::writeFileBytes(path("x_page_2.tif"), {'o', 'l', 'd'});

    const BatchTotals totals = SplitBatch(m_observer).run(files({"x.tif", "x_page_1.tif"}));

    ASSERT_EQ(m_observer.results.size(), 2u);
    EXPECT_EQ(m_observer.results[0].outcome.reason,
              "page 1 of 2 not written: x_page_1.tif is one of the files being split");
    EXPECT_TRUE(m_observer.results[1].ok) << m_observer.results[1].outcome.reason;
    EXPECT_EQ(totals.pagesWritten, 4);
    EXPECT_EQ(test::countPages(path("x_page_1.tif")), 3);
    EXPECT_EQ(test::countPages(path("x_page_2.tif")), 1);
    EXPECT_EQ(test::countPages(path("x_page_1_page_3.tif")), 1);
}

// A stop ends the run after the page in work; the file it cut short is neither failed nor done.
TEST_F(SplitBatchTest, StopEndsTheRunAfterThePageInWork) {
    for (const char* name : {"a.tif", "b.tif", "c.tif"})
        test::writeGreyPages(path(name), 4);
    std::atomic<bool> stop = false;
    m_observer.onPage = [&](std::int32_t page) {
        if (m_observer.started.size() == 2 && page == 2)
            stop = true;
    };

    const BatchTotals totals =
        SplitBatch(m_observer, &stop).run(files({"a.tif", "b.tif", "c.tif"}));

    ASSERT_EQ(m_observer.results.size(), 2u);
    EXPECT_FALSE(m_observer.results[0].stopped);
    EXPECT_TRUE(m_observer.results[1].stopped);
    EXPECT_EQ(m_observer.results[1].outcome.pagesWritten, 2);
    EXPECT_TRUE(totals.stopped);
    EXPECT_EQ(totals.files, 2u);
    EXPECT_EQ(totals.failed, 0u);
    EXPECT_EQ(totals.pagesWritten, 6);
    EXPECT_EQ(entries(), (std::vector<std::string>{"a.tif", "a_page_1.tif", "a_page_2.tif",
                                                   "a_page_3.tif", "a_page_4.tif", "b.tif",
                                                   "b_page_1.tif", "b_page_2.tif", "c.tif"}));
}

} // namespace
