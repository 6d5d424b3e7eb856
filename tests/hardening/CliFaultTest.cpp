#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "ChildProcess.h"
#include "HardeningPaths.h"
#include "SplitFolder.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

// Faults of the machine met by the command-line program: a full disk, a source
// or folder that goes away during a run, a directory where a page file must go.
// Each time the file in work fails with its reason and the batch goes on.
namespace {

using namespace plexifold::test;
namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliFaults : public testing::Test {
protected:
    std::string path(const std::string& name) const { return (m_folder.path() / name).string(); }

    // Every page file of `base` in `folder` but `missing` equals its page of `original`.
    void expectPagesOf(const std::string& folder, const std::string& base, int total, int written,
                       const std::string& original, int missing = 0) const {
        for (int page = 1; page <= written; ++page) {
            if (page == missing)
                continue;
            const std::string name = folder + "/" + pageFileName(base, "tif", total, page);
            EXPECT_EQ(libtiffDirectoryCount(name), 1) << name;
            EXPECT_EQ(libtiffRawData(name, 0), libtiffRawData(original, page - 1)) << name;
        }
    }

    plexifold::test::TempFolder m_folder;
};

std::vector<std::string> withPages(std::vector<std::string> names, const std::string& base,
                                   int total, int written, int missing = 0) {
    for (int page = 1; page <= written; ++page)
        if (page != missing)
            names.push_back(pageFileName(base, "tif", total, page));
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(CliFaults, DiskFullDuringPageFiveLosesThatPageOnly) {
    std::vector<PageSpec> pages(12);
    for (std::size_t i = 0; i < pages.size(); ++i)
        pages[i].seed = static_cast<std::uint32_t>(i + 1);
    pages[4].width = pages[4].height = 512; // only page 5 outgrows the limit
    writeTiff(path("doc.tif"), pages);
    writeMultipageTiff(path("next.tif"), 3);

    ChildProcess child({kSplitBinary, path("doc.tif"), path("next.tif")});
    child.setFileSizeLimit(64 * 1024);
    child.start();
    const ChildResult run = child.finish();

    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(contains(run.err, "plexifold-split: " + path("doc.tif") + ": ")) << run.err;
    EXPECT_TRUE(contains(run.err, "doc_page_05.tif")) << run.err;
    EXPECT_TRUE(contains(run.err, std::strerror(EFBIG))) << run.err;
    EXPECT_TRUE(contains(run.err, "page 5 of 12 not written: ")) << run.err;
    EXPECT_TRUE(contains(run.out, "2 files, 14 pages written, 1 page not written, 1 failed"))
        << run.out;
    EXPECT_EQ(folderEntries(m_folder.path().string()),
              withPages(withPages({"doc.tif", "next.tif"}, "doc", 12, 12, 5), "next", 3, 3));
    expectPagesOf(m_folder.path().string(), "doc", 12, 12, path("doc.tif"), 5);
    expectPagesOf(m_folder.path().string(), "next", 3, 3, path("next.tif"));
}

TEST_F(CliFaults, PageNameTakenByADirectoryLosesThatPageOnly) {
    writeMultipageTiff(path("doc.tif"), 12);
    writeMultipageTiff(path("next.tif"), 2);
    fs::create_directory(path("doc_page_05.tif"));
    writeFileBytes(path("doc_page_05.tif/keep.txt"), {'k'});

    const ChildResult run = runChild({kSplitBinary, path("doc.tif"), path("next.tif")});

    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(contains(run.err, "plexifold-split: " + path("doc.tif") + ": ")) << run.err;
    EXPECT_TRUE(contains(run.err, "doc_page_05.tif")) << run.err;
    EXPECT_EQ(folderEntries(m_folder.path().string()),
              withPages(withPages({"doc.tif", "doc_page_05.tif/", "next.tif"}, "doc", 12, 12, 5),
                        "next", 2, 2));
    EXPECT_EQ(folderEntries(path("doc_page_05.tif")), std::vector<std::string>{"keep.txt"});
    expectPagesOf(m_folder.path().string(), "doc", 12, 12, path("doc.tif"), 5);
    expectPagesOf(m_folder.path().string(), "next", 2, 2, path("next.tif"));
}

// The first file is long enough that the fault lands while the command is still on it.
constexpr int kLongFile = 1500;

TEST_F(CliFaults, SourceGoneAfterListingFailsThatFileOnly) {
    struct Case {
        const char* name;
        void (*fault)(const std::string& source);
    };
    for (const Case& c : {Case{"deleted", [](const std::string& s) { fs::remove(s); }},
                          Case{"emptied", [](const std::string& s) { fs::resize_file(s, 0); }}}) {
        SCOPED_TRACE(c.name);
        const std::string folder = path(c.name);
        fs::create_directory(folder);
        writeMultipageTiff(folder + "/a.tif", kLongFile);
        writeMultipageTiff(folder + "/b.tif", 3);
        writeMultipageTiff(folder + "/c.tif", 3);

        ChildProcess child({kSplitBinary, "--quiet", folder});
        child.start();
        const std::string firstPage = folder + "/" + pageFileName("a", "tif", kLongFile, 1);
        const std::string lastPage = folder + "/" + pageFileName("a", "tif", kLongFile, kLongFile);
        ASSERT_TRUE(waitWhileRunning(
            child, [&] { return fs::exists(firstPage); }, 30000));
        ASSERT_FALSE(fs::exists(lastPage)) << "the fault came too late";
        c.fault(folder + "/b.tif");
        const ChildResult run = child.finish();

        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_TRUE(contains(run.err, "plexifold-split: " + folder + "/b.tif: ")) << run.err;
        std::vector<std::string> expected{"a.tif", "c.tif"};
        if (std::string(c.name) != "deleted")
            expected.push_back("b.tif");
        expected = withPages(withPages(expected, "a", kLongFile, kLongFile), "c", 3, 3);
        EXPECT_EQ(folderEntries(folder), expected);
        expectPagesOf(folder, "c", 3, 3, folder + "/c.tif");
    }
}

TEST_F(CliFaults, FolderVanishingDuringARunFailsItsFileOnly) {
    const std::string doomed = path("doomed"), moved = path("moved"), other = path("other");
    fs::create_directory(doomed);
    fs::create_directory(other);
    writeMultipageTiff(doomed + "/a.tif", kLongFile);
    writeMultipageTiff(other + "/b.tif", 3);

    ChildProcess child({kSplitBinary, "--quiet", doomed, other});
    child.start();
    const std::string firstPage = doomed + "/" + pageFileName("a", "tif", kLongFile, 1);
    ASSERT_TRUE(waitWhileRunning(
        child, [&] { return fs::exists(firstPage); }, 30000));
    fs::rename(doomed, moved);
    const ChildResult run = child.finish();

    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(contains(run.err, "plexifold-split: " + doomed + "/a.tif: ")) << run.err;
    EXPECT_TRUE(contains(run.err, std::strerror(ENOENT))) << run.err;
    EXPECT_FALSE(fs::exists(doomed)) << "the vanished folder was made again";
    const auto left = folderEntries(moved);
    ASSERT_GE(left.size(), 2u);
    ASSERT_LT(left.size(), kLongFile + 1u);
    EXPECT_EQ(left, withPages({"a.tif"}, "a", kLongFile, static_cast<int>(left.size()) - 1));
    expectPagesOf(moved, "a", kLongFile, static_cast<int>(left.size()) - 1, moved + "/a.tif");
    EXPECT_EQ(folderEntries(other), withPages({"b.tif"}, "b", 3, 3));
}

} // namespace
