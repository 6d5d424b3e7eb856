// The loop over a run's files that the window and the command line share.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <sstream>
#include <thread>

#include "FileBytes.h"
#include "FileSources.h"
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
    std::vector<std::string> finished; // names, in finishing order
    std::function<void(std::int32_t)> onPage;

    SplitProgress& fileStarted(std::size_t index, const fs::path& path) override {
        started.emplace_back(index, files::Utf8Of(FileTitleOf(path)));
        return *this;
    }
    void fileFinished(std::size_t, const fs::path& path, const FileResult& result) override {
        results.push_back(result);
        finished.push_back(files::Utf8Of(FileTitleOf(path)));
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

// With several jobs every file is split once, and a stop ends every worker after its page.
TEST_F(SplitBatchTest, JobsSplitEveryFileOnceAndAllStop) {
    std::vector<fs::path> list;
    for (int i = 0; i < 8; ++i) {
        list.push_back(path("f" + std::to_string(i) + ".tif"));
        test::writeGreyPages(list.back(), 3);
    }
    const BatchTotals totals = SplitBatch(m_observer, nullptr, {{}, {}, 3}).run(list);
    EXPECT_EQ(totals.files, 8u);
    EXPECT_EQ(totals.pagesWritten, 24);
    std::vector<std::string> finished = m_observer.finished;
    std::ranges::sort(finished);
    EXPECT_EQ(finished.size(), 8u);
    EXPECT_EQ(std::ranges::unique(finished).begin(), finished.end());

    std::atomic<bool> stop = false;
    RecordingObserver stopping;
    std::atomic<int> pages = 0;
    stopping.onPage = [&](std::int32_t) {
        if (++pages == 4)
            stop = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // the others are in work
    };
    const BatchTotals stopped = SplitBatch(stopping, &stop, {{}, {}, 3}).run(list);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_LE(stopped.files, 3u + 1u);
    EXPECT_LE(pages.load(), 4 + 2);
}

// A walk hands out a folder's files, then each subfolder's, depth first; a folder that
// cannot be read is an entry of its own and the walk goes on.
TEST_F(SplitBatchTest, FolderWalkGoesDepthFirstInNameOrder) {
    for (const char* folder : {"b", "b/c", "a", "gone"})
        fs::create_directories(path(folder));
    for (const char* name :
         {"z.tif", "b/y.TIFF", "b/c/x.tif", "a/w.tif", "b/c/notes.txt", "gone/u.tif"})
        test::writeFileBytes(path(name), {'x'});
#ifndef _WIN32 // hidden by its name; Windows hides by an attribute
    fs::create_directories(path(".hidden"));
    test::writeFileBytes(path(".hidden/v.tif"), {'x'});
#endif
    std::error_code noLinks; // Wine has none; the walk is the same without
    fs::create_directory_symlink(path("b"), path("link"), noLinks); // not followed
    FolderSource walk(m_dir.path(), true);
    std::vector<std::string> entries;
    fs::path entry;
    while (walk.next(entry)) {
        if (entry.filename() == "w.tif")
            fs::remove_all(path("gone"));
        const std::string relative = entry.lexically_relative(m_dir.path()).generic_string();
        entries.push_back(walk.failure().empty() ? relative : relative + ": " + walk.failure());
        EXPECT_EQ(walk.base(), m_dir.path());
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"z.tif", "a/w.tif", "b/y.TIFF", "b/c/x.tif",
                                                 "gone: the folder cannot be read"}));
}

TEST_F(SplitBatchTest, ListsAreReadEntryByEntry) {
    std::istringstream lines("a.tif\r\n\nsub/日本.tif\n\n");
    std::istringstream nulls(std::string("a\nb.tif\0\0c.tif", 14));
    std::vector<std::string> read;
    fs::path entry;
    for (ListSource list(lines, '\n'); list.next(entry);)
        read.push_back(files::Utf8Of(entry));
    for (ListSource list(nulls, '\0'); list.next(entry);)
        read.push_back(files::Utf8Of(entry));
    EXPECT_EQ(read, (std::vector<std::string>{"a.tif", "sub/日本.tif", "a\nb.tif", "c.tif"}));
}

// Pages go to the source's place under the output folder; a source outside its base fails;
// a page there already is kept or fails as asked.
TEST_F(SplitBatchTest, OutputFolderMirrorsTheBase) {
    fs::create_directories(path("in/x/y"));
    test::writeGreyPages(path("in/x/y/a.tif"), 2);
    test::writeGreyPages(path("b.tif"), 2);
    BatchSettings settings{{}, path("in"), 1};
    settings.split.outputRoot = path("out");
    SplitBatch(m_observer, nullptr, settings).run(files({"in/x/y/a.tif", "b.tif"}));
    ASSERT_EQ(m_observer.results.size(), 2u);
    EXPECT_TRUE(m_observer.results[0].ok) << m_observer.results[0].outcome.reason;
    EXPECT_EQ(test::countPages(path("out/x/y/a_page_2.tif")), 1);
    EXPECT_TRUE(m_observer.results[1].outcome.reason.starts_with("it lies outside its base"));

    for (const IfExists rule : {IfExists::Skip, IfExists::Fail}) {
        RecordingObserver again;
        settings.split.ifExists = rule;
        SplitBatch(again, nullptr, settings).run(files({"in/x/y/a.tif"}));
        const SplitOutcome& outcome = again.results.at(0).outcome;
        EXPECT_EQ(outcome.pagesKept, rule == IfExists::Skip ? 2 : 0);
        EXPECT_EQ(outcome.pagesFailed, rule == IfExists::Fail ? 2 : 0);
        EXPECT_EQ(outcome.pagesWritten, 0);
    }
}

// A link planted under the output folder, at a folder or at a page's name, is never followed:
// that page fails and nothing appears where the link points.
TEST_F(SplitBatchTest, LinksUnderTheOutputFolderAreNotFollowed) {
    fs::create_directories(path("in/x"));
    fs::create_directories(path("elsewhere"));
    fs::create_directories(path("out"));
    test::writeGreyPages(path("in/x/a.tif"), 2);
    test::writeGreyPages(path("in/b.tif"), 2);
    std::error_code error;
    fs::create_directory_symlink(path("elsewhere"), path("out/x"), error);
    if (error)
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    fs::create_symlink(path("elsewhere/page"), path("out/b_page_1.tif"));
    BatchSettings settings{{}, path("in"), 1};
    settings.split.outputRoot = path("out");
    for (const IfExists rule : {IfExists::Replace, IfExists::Skip}) {
        settings.split.ifExists = rule;
        RecordingObserver run;
        SplitBatch(run, nullptr, settings).run(files({"in/x/a.tif", "in/b.tif"}));
        ASSERT_EQ(run.results.size(), 2u);
        EXPECT_EQ(run.results[0].outcome.pagesFailed, 2);
        EXPECT_TRUE(run.results[0].outcome.reason.find("is a symbolic link") != std::string::npos)
            << run.results[0].outcome.reason;
        EXPECT_EQ(run.results[1].outcome.pagesFailed, 1);
        EXPECT_TRUE(fs::is_symlink(path("out/b_page_1.tif")));
        EXPECT_TRUE(fs::is_empty(path("elsewhere")));
    }
}

} // namespace
