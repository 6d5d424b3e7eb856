#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "SplitFile.h"
#include "SplitFolder.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

// Faults that strike between two pages of one file, made exactly there through the
// splitter's progress report.
namespace {

using namespace plexifold;
using namespace plexifold::test;
namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs `fault` once page `afterPage` is saved.
class FaultAfterPage : public SplitProgress {
public:
    FaultAfterPage(std::int32_t afterPage, std::function<void()> fault)
        : m_afterPage(afterPage), m_fault(std::move(fault)) {}
    void begin(std::int32_t) override {}
    void page(const std::string&, std::int32_t) override {}
    void saved(std::int32_t value, std::uint64_t) override {
        if (value == m_afterPage)
            m_fault();
    }
    void end() override {}

private:
    std::int32_t m_afterPage;
    std::function<void()> m_fault;
};

class SplitFaults : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_work);
        writeMultipageTiff(m_source, 12);
        fs::copy_file(m_source, m_original);
    }

    bool split(std::int32_t afterPage, std::function<void()> fault, SplitOutcome& outcome) {
        FaultAfterPage progress(afterPage, std::move(fault));
        return SplitFile(m_source, progress, &outcome);
    }

    // `folder` holds the pages 1..written of doc.tif, each equal to the original's,
    // besides `others`, and nothing else: no later page, no temporary file.
    void expectLeadingPages(const std::string& folder, int written,
                            std::vector<std::string> others) const {
        for (int page = 1; page <= written; ++page) {
            const std::string name = pageFileName("doc", "tif", 12, page);
            others.push_back(name);
            EXPECT_EQ(libtiffRawData(folder + "/" + name, 0), libtiffRawData(m_original, page - 1))
                << name;
        }
        std::sort(others.begin(), others.end());
        EXPECT_EQ(folderEntries(folder), others);
    }

    plexifold::test::TempFolder m_folder;
    const std::string m_work = (m_folder.path() / "work").string();
    const std::string m_source = m_work + "/doc.tif";
    const std::string m_original = (m_folder.path() / "original.tif").string();
};

TEST_F(SplitFaults, SourceTruncatedWhilePagesAreCopiedFailsAtTheFirstPageItLacks) {
    for (const std::uintmax_t size : {std::uintmax_t{0}, fs::file_size(m_source) / 2}) {
        SCOPED_TRACE(size);
        for (const auto& entry : fs::directory_iterator(m_work))
            if (entry.path() != m_source)
                fs::remove(entry.path());
        fs::copy_file(m_original, m_source, fs::copy_options::overwrite_existing);
        SplitOutcome outcome;

        EXPECT_FALSE(split(
            2, [&] { fs::resize_file(m_source, size); }, outcome));

        EXPECT_GE(outcome.pagesWritten, 2);
        EXPECT_LT(outcome.pagesWritten, 12);
        EXPECT_TRUE(contains(outcome.reason, "page " + std::to_string(outcome.pagesWritten + 1)))
            << outcome.reason;
        expectLeadingPages(m_work, outcome.pagesWritten, {"doc.tif"});
    }
}

// The open source stays readable when its name is deleted or given to another file:
// every page comes from the file as it was when the split began.
TEST_F(SplitFaults, SourceDeletedOrReplacedWhilePagesAreCopiedSplitsTheOriginal) {
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replaced" : "deleted");
        SplitOutcome outcome;
        const bool ok = split(
            2,
            [&] {
                fs::remove(m_source);
                if (replace)
                    writeMultipageTiff(m_source, 1);
            },
            outcome);

        EXPECT_TRUE(ok) << outcome.reason;
        expectLeadingPages(
            m_work, 12, replace ? std::vector<std::string>{"doc.tif"} : std::vector<std::string>{});
        fs::copy_file(m_original, m_source, fs::copy_options::overwrite_existing);
    }
}

TEST_F(SplitFaults, TargetFolderVanishingBetweenPagesFailsTheNextPage) {
    const std::string moved = (m_folder.path() / "moved").string();
    SplitOutcome outcome;

    EXPECT_FALSE(split(
        3, [&] { fs::rename(m_work, moved); }, outcome));

    EXPECT_EQ(outcome.pagesWritten, 3);
    EXPECT_TRUE(contains(outcome.reason, "doc_page_04.tif")) << outcome.reason;
    EXPECT_TRUE(contains(outcome.reason, std::strerror(ENOENT))) << outcome.reason;
    EXPECT_FALSE(fs::exists(m_work)) << "the vanished folder was made again";
    expectLeadingPages(moved, 3, {"doc.tif"});
}

TEST_F(SplitFaults, TargetFolderDeletedBetweenPagesIsNotMadeAgain) {
    SplitOutcome outcome;
    EXPECT_FALSE(split(
        1, [&] { fs::remove_all(m_work); }, outcome));
    EXPECT_EQ(outcome.pagesWritten, 1);
    EXPECT_TRUE(contains(outcome.reason, "doc_page_02.tif")) << outcome.reason;
    EXPECT_FALSE(fs::exists(m_work));
}

} // namespace
