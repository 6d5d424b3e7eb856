#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "ChildProcess.h"
#include "HardeningPaths.h"
#include "SplitFolder.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

namespace {

using namespace plexifold::test;
namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

ChildResult runCli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), kSplitBinary);
    return runChild(arguments);
}

bool isSinglePageTiff(const std::string& path) {
    return libtiffDirectoryCount(path) == 1;
}

TEST(Cli, AnswersHelpVersionAndUsageErrors) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* expected;
    };
    for (const Case& c :
         {Case{{"--help"}, 0, "Usage: plexifold-split [options] PATH..."},
          Case{{"-h", "x.tif"}, 0, "  -n, --dry-run         print the page files"},
          Case{{"--version"}, 0, "plexifold-split 1.00\n"}, Case{{}, 2, "no file or folder given"},
          Case{{"--quiet", "-n"}, 2, "plexifold-split: no file or folder given\n"},
          Case{{"--frobnicate", "x.tif"}, 2, "unknown option '--frobnicate'"},
          Case{{"x.tif", "-z"}, 2, "unknown option '-z'\nTry 'plexifold-split --help'."},
          Case{{"--", "--version"}, 1, "--version: no such file or folder"},
          Case{{"-"}, 1, "plexifold-split: -: no such file or folder"},
          Case{{"--name", "{stem}.tif", "x.tif"}, 2, "has no {page}"},
          Case{{"--name", "a/{page}", "x.tif"}, 2, "holds a folder separator"},
          Case{{"--pages", "0", "x.tif"}, 2, "the page list '0' does not read"},
          Case{{"--shard", "4/4", "x.tif"}, 2, "is not K/N"},
          Case{{"--if-exists", "keep", "x.tif"}, 2, "keep"}, Case{{"-j", "0", "x.tif"}, 2, "jobs"},
          Case{{"--files-from", "/nonexistent/list"}, 2, "cannot read the list"}}) {
        const ChildResult run = runCli(c.arguments);
        EXPECT_EQ(run.exitCode, c.status) << c.expected;
        EXPECT_TRUE(contains(run.out + run.err, c.expected)) << run.out << run.err;
    }
}

class CliFolder : public testing::Test {
protected:
    void SetUp() override {
        writeMultipageTiff(path("a.tif"), 3);
        writeMultipageTiff(path("B.TIFF"), 12);
        writeMultipageTiff(path(".hidden.tif"), 2);
        writeFileBytes(path("bad.tif"), {'n', 'o', 'p', 'e'});
        writeFileBytes(path("notes.txt"), {'x'});
    }
    std::string path(const std::string& name) const { return m_dir.file(name); }
    std::vector<std::string> files() const { return m_dir.names(); }
    bool has(const std::string& name) const { return fs::exists(m_dir.path() / name); }

    TempFolder m_dir;
};

TEST_F(CliFolder, SplitsEveryListedFileAndReportsTheBadOne) {
    const ChildResult run = runCli({m_dir.path().string()});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.out, "3 files, 15 pages written, 1 failed")) << run.out;
    EXPECT_TRUE(contains(run.err, "plexifold-split: " + path("bad.tif") + ": not a TIFF file"))
        << run.err;
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(isSinglePageTiff(path("a_page_" + std::to_string(page) + ".tif")));
    for (int page = 1; page <= 12; ++page)
        EXPECT_TRUE(isSinglePageTiff(path(pageFileName("B", "TIFF", 12, page))));
    EXPECT_FALSE(has(".hidden_page_1.tif"));
    EXPECT_EQ(files().size(), 5u + 15u);
}

TEST_F(CliFolder, FilesGivenOneByOneSucceed) {
    const ChildResult run = runCli({"--quiet", path("a.tif"), path("B.TIFF")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(files().size(), 5u + 15u);
}

// Names that hold "%" or letters of other scripts reach the output as they are; bytes that
// are not UTF-8 are shown as U+FFFD.
TEST_F(CliFolder, ShowsNamesAsTheyAre) {
    for (const auto& [name, shown] :
         std::vector<std::pair<std::string, std::string>>{{"a%2Fb.tif", "a%2Fb.tif"},
                                                          {"%1.tif", "%1.tif"},
                                                          {"Überweisungen 2026 日本.tif", ""},
                                                          {"scan\xFF.tif", "scan\uFFFD.tif"}}) {
        writeMultipageTiff(path(name), 2);
        const ChildResult run = runCli({path(name)});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, path(shown.empty() ? name : shown) +
                               ": 2 pages\n1 file, 2 pages written, 0 failed\n");
    }
}

TEST_F(CliFolder, DryRunNamesThePagesAndWritesNothing) {
    const ChildResult run = runCli({"--dry-run", path("a.tif")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, path("a_page_1.tif") + "\n" + path("a_page_2.tif") + "\n" +
                           path("a_page_3.tif") + "\n");
    EXPECT_EQ(files().size(), 5u);
}

TEST_F(CliFolder, MissingPathFailsAndTheRestIsSplit) {
    const ChildResult run = runCli({path("gone.tif"), path("a.tif")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.err, path("gone.tif") + ": no such file or folder"));
    EXPECT_TRUE(contains(run.out, "2 files, 3 pages written, 1 failed")) << run.out;
}

// A second run in the same folder takes the page files for outputs and writes nothing.
TEST_F(CliFolder, RerunInPlaceLeavesPageFilesAlone) {
    ASSERT_EQ(runCli({path("a.tif"), path("B.TIFF")}).exitCode, 0);
    const ChildResult again = runCli({"--json", "--if-exists", "skip", m_dir.path().string()});
    EXPECT_EQ(again.exitCode, 1); // bad.tif
    EXPECT_TRUE(contains(again.out, "\"status\":\"skipped\"")) << again.out;
    EXPECT_TRUE(contains(again.out, "\"output\":15,\"pages_written\":0,\"pages_kept\":15"))
        << again.out;
    EXPECT_EQ(files().size(), 5u + 15u);
}

// Ctrl-C and SIGTERM (what job engines send) stop alike after the page in work.
TEST(CliInterrupt, StopsAfterThePageInWork) {
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        TempFolder dir;
        const std::string source = dir.file("long.tif");
        writeMultipageTiff(source, 3000);
        ChildProcess child({kSplitBinary, "--json", source});
        child.start();
        ASSERT_TRUE(waitWhileRunning(
            child, [&] { return fs::exists(dir.path() / "long_page_0001.tif"); }, 30000))
            << "the run ended before the signal";
        child.interrupt(signal);
        const ChildResult run = child.finish();
        EXPECT_EQ(run.exitCode, status);
        EXPECT_TRUE(contains(run.out, "\"status\":\"partial\"")) << run.out;
        const std::vector<std::string> pages = dir.names();
        EXPECT_LT(pages.size(), 3001u);
        for (const std::string& page : pages) {
            ASSERT_FALSE(page.starts_with('.')) << "temporary file left: " << page;
            if (page != "long.tif") {
                EXPECT_TRUE(isSinglePageTiff(dir.file(page))) << page;
            }
        }
    }
}

// One record per input and a summary, each a line of JSON; a name that is not UTF-8 keeps
// its bytes.
TEST_F(CliFolder, JsonRecordsEveryInputAndSumsUp) {
    writeMultipageTiff(path("caf\xE9.tif"), 2);
    const ChildResult run = runCli({"--json", m_dir.path().string(), path("gone.tif")});
    EXPECT_EQ(run.exitCode, 1);
    std::vector<nlohmann::json> records;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        records.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(records.size(), 6u) << run.out;
    std::map<std::string, nlohmann::json> byName;
    for (const auto& record : records)
        if (record["type"] == "file")
            byName[fs::path(record["path"].get<std::string>()).filename().string()] = record;
    EXPECT_EQ(byName["a.tif"]["status"], "split");
    EXPECT_EQ(byName["a.tif"]["files"].size(), 3u);
    EXPECT_EQ(byName["a.tif"]["files"][2]["path"], path("a_page_3.tif"));
    EXPECT_EQ(byName["bad.tif"]["status"], "failed");
    EXPECT_EQ(byName["bad.tif"]["reason"], "not a TIFF file");
    EXPECT_EQ(byName["gone.tif"]["status"], "failed");
    const nlohmann::json& odd = byName["caf\xEF\xBF\xBD.tif"];
    EXPECT_EQ(odd["status"], "split");
    const std::string bytes = odd["path_bytes"]; // base64 of the path's own bytes
    EXPECT_EQ(bytes.size(), (path("caf\xE9.tif").size() + 2) / 3 * 4);
    EXPECT_FALSE(byName["a.tif"].contains("path_bytes"));
    const nlohmann::json& summary = records.back();
    EXPECT_EQ(summary["type"], "summary");
    EXPECT_EQ(summary["schema"], 1);
    EXPECT_EQ(summary["split"], 3);
    EXPECT_EQ(summary["failed"], 2);
    EXPECT_EQ(summary["pages_written"], 17);
    EXPECT_TRUE(contains(run.err, "bad.tif: not a TIFF file"));
}

} // namespace
