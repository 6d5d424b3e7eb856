#include <gtest/gtest.h>

#include "CommandLine.h"
#include "FileBytes.h"
#include "TempFolder.h"

namespace plexifold::test {
namespace {

namespace fs = std::filesystem;

// A folder given is split by its *.tif and *.tiff files, also past the classic limit of
// 260 characters.
TEST(ExpandPaths, ListsTheTiffFilesOfAFolderOfAnyLength) {
    TempFolder base;
    for (const fs::path& folder : {base.path() / "short", longFolderIn(base.path())}) {
        fs::create_directories(folder);
        for (const char* name : {"b.TIFF", "a.tif", "notes.txt"})
            writeFileBytes(folder / name, {'x'});
        std::vector<fs::path> missing;
        EXPECT_EQ(cli::expandPaths({folder, folder / "gone.tif"}, missing),
                  (std::vector<fs::path>{folder / "a.tif", folder / "b.TIFF"}));
        EXPECT_EQ(missing, std::vector<fs::path>{folder / "gone.tif"});
    }
}

} // namespace
} // namespace plexifold::test
