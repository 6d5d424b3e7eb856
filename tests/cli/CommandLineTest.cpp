#include <gtest/gtest.h>

#include "CommandLine.h"
#include "FileBytes.h"
#include "FileSources.h"
#include "TempFolder.h"

namespace plexifold::test {
namespace {

namespace fs = std::filesystem;

// A folder given is split by its *.tif and *.tiff files, also past the classic limit of
// 260 characters.
TEST(FolderSource, ListsTheTiffFilesOfAFolderOfAnyLength) {
    TempFolder base;
    for (const fs::path& folder : {base.path() / "short", longFolderIn(base.path())}) {
        fs::create_directories(folder);
        for (const char* name : {"b.TIFF", "a.tif", "notes.txt"})
            writeFileBytes(folder / name, {'x'});
        FolderSource source(folder, false);
        std::vector<fs::path> listed;
        for (fs::path path; source.next(path);)
            listed.push_back(path);
        EXPECT_EQ(listed, (std::vector<fs::path>{folder / "a.tif", folder / "b.TIFF"}));
    }
}

// A name UTF-8 cannot hold reaches its file exactly, among options read as text.
TEST(ParseCommandLine, KeepsEachPathExactly) {
#ifdef _WIN32
    const fs::path odd = std::wstring(L"scan\xD800.tif");
#else
    const fs::path odd = std::string("scan\xFF.tif");
#endif
    cli::Options options;
    std::string error;
    ASSERT_TRUE(cli::parseCommandLine({"-n", odd, "a.tif", "--", "-q"}, options, error)) << error;
    EXPECT_TRUE(options.dryRun);
    EXPECT_FALSE(options.quiet);
    EXPECT_EQ(options.paths, (std::vector<fs::path>{odd, "a.tif", "-q"}));
}

} // namespace
} // namespace plexifold::test
