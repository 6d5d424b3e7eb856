// SaveFile's guarantees: a complete file or none, the target untouched on failure, no
// temporary file left, the reason given; and the document's use of its source file.
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AtomicFile.h"
#include "OutputFile.h"
#include "PageImageDocument.h"
#include "RawTiff.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

namespace plexifold::test {
namespace {

using files::AtomicFile;
using imaging::OutputFile;
using imaging::PageImageDocument;
using imaging::TiffError;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// One 128 x 128 grey page whose directory comes first and whose 16 KiB of pixels follow,
// so that cutting the file short leaves the page readable but its data incomplete.
Bytes directoryFirstPage() {
    RawTiff tiff;
    const std::uint64_t directory = tiff.addDirectory(tiff.greyPage(128, 128, {0}, {128 * 128}));
    Bytes pixels(128 * 128);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i / 128 + i % 128);
    tiff.patch(tiff.fieldOffset(directory, 5), tiff.append(pixels), 4);
    tiff.setFirstDirectory(directory);
    return tiff.data();
}

std::vector<std::string> hiddenNames(const fs::path& folder) {
    std::vector<std::string> hidden;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename().string().front() == '.')
            hidden.push_back(entry.path().string());
    return hidden;
}

using Guard = std::shared_ptr<void>;

Guard failWritesAfter(std::uint64_t bytes, int error) {
    OutputFile::failWritesForTesting(bytes, error);
    return Guard(nullptr, [](void*) { OutputFile::stopFailingWritesForTesting(); });
}

Guard limitFileSize(rlim_t bytes) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    return Guard(nullptr, [saved, oldHandler](void*) {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    });
}

struct SaveFailureCase {
    const char* name;
    std::function<std::string(const TempFolder&)> target; // prepares and names the target
    std::function<Guard(const TempFolder&)> arm;          // sets up the failure, if needed
    bool aboutTarget; // the message is "cannot write TARGET: reason"
    const char* reason;
};

std::string existingPageFile(const TempFolder& folder) {
    writeFileBytes(folder.file("page.tif"), Bytes(5000, 'x'));
    return folder.file("page.tif");
}

const SaveFailureCase saveFailureCases[] = {
    {"TargetIsADirectory",
     [](const TempFolder& f) {
         fs::create_directory(f.file("page.tif"));
         return f.file("page.tif");
     },
     nullptr, true, "Is a directory"},
    {"FolderIsMissing", [](const TempFolder& f) { return f.file("gone/page.tif"); }, nullptr, true,
     "No such file or directory"},
    {"DiskFullMidway", existingPageFile,
     [](const TempFolder&) { return failWritesAfter(3000, ENOSPC); }, true,
     "No space left on device"},
    {"WriteFailsAtOnce", existingPageFile,
     [](const TempFolder&) { return failWritesAfter(0, EIO); }, true, "Input/output error"},
    {"FileSizeLimit", existingPageFile, [](const TempFolder&) { return limitFileSize(4096); }, true,
     "File too large"},
    {"SourceCutAfterLoad", existingPageFile,
     [](const TempFolder& f) {
         fs::resize_file(f.file("source.tif"), 3000);
         return Guard();
     },
     false, "page 1: the file ended while its data was being copied"},
};

void PrintTo(const SaveFailureCase& c, std::ostream* out) {
    *out << c.name;
}

// Each case runs with unnamed files linked in at the end and with named temporary files,
// as where the file system cannot make unnamed ones.
class SaveFailure : public testing::TestWithParam<std::tuple<SaveFailureCase, bool>> {
protected:
    void SetUp() override { AtomicFile::useNamedFilesForTesting(std::get<1>(GetParam())); }
    void TearDown() override { AtomicFile::useNamedFilesForTesting(false); }
};

TEST_P(SaveFailure, LeavesTheTargetAsItWasAndNoTemporaryFile) {
    const SaveFailureCase& c = std::get<0>(GetParam());
    TempFolder folder;
    writeFileBytes(folder.file("source.tif"), directoryFirstPage());
    PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(folder.file("source.tif"))) << document.errorText();
    const std::string target = c.target(folder);
    const bool wasFile = fs::is_regular_file(target);
    const Bytes before = wasFile ? readFileBytes(target) : Bytes{};
    const bool wasFolder = fs::is_directory(target);

    std::string message;
    {
        const Guard armed = c.arm ? c.arm(folder) : Guard();
        try {
            document.GetPage(0).SaveFile(target);
        } catch (const TiffError& error) {
            message = error.what();
        }
    }
    EXPECT_EQ(message, c.aboutTarget ? "cannot write " + target + ": " + c.reason : c.reason);
    EXPECT_EQ(fs::is_regular_file(target), wasFile);
    EXPECT_EQ(fs::is_directory(target), wasFolder);
    if (wasFile) {
        EXPECT_TRUE(readFileBytes(target) == before);
    }
    EXPECT_EQ(hiddenNames(folder.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Targets, SaveFailure,
                         testing::Combine(testing::ValuesIn(saveFailureCases), testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_NamedFile" : "_UnnamedFile");
                         });

class SaveFile : public testing::Test {
protected:
    void SetUp() override {
        writeMultipageTiff(source, 3);
        ASSERT_TRUE(document.LoadFile(source)) << document.errorText();
    }
    TempFolder folder;
    std::string source = folder.file("doc.tif");
    PageImageDocument document;
};

TEST_F(SaveFile, WritesANewFileOrReplacesOneWithUnnamedOrNamedFiles) {
    for (const bool named : {false, true})
        for (const bool existing : {false, true}) {
            SCOPED_TRACE(std::string(named ? "named" : "unnamed") +
                         (existing ? ", replacing" : ""));
            AtomicFile::useNamedFilesForTesting(named);
            const std::string target = folder.file("doc_page_2.tif");
            fs::remove(target);
            if (existing)
                writeFileBytes(target, Bytes(100000, 'x'));
            const std::uint64_t written = document.GetPage(1).SaveFile(target);
            AtomicFile::useNamedFilesForTesting(false);
            EXPECT_EQ(written, fs::file_size(target));
            TiffInspector page(target), original(source);
            EXPECT_EQ(page.page(0).rawData, original.page(1).rawData);
            EXPECT_EQ(hiddenNames(folder.path()), std::vector<std::string>{});
        }
}

TEST_F(SaveFile, PermissionsFollowTheUmask) {
    for (const bool named : {false, true}) {
        const std::string target = folder.file(named ? "named.tif" : "unnamed.tif");
        AtomicFile::useNamedFilesForTesting(named);
        const mode_t previous = umask(027);
        document.GetPage(0).SaveFile(target);
        umask(previous);
        AtomicFile::useNamedFilesForTesting(false);
        EXPECT_EQ(fs::status(target).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
            << target;
    }
}

int openHandlesTo(const std::string& path) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) == fs::canonical(path))
            ++count;
    }
    return count;
}

TEST_F(SaveFile, TheDocumentOpensItsSourceOnce) {
    EXPECT_EQ(openHandlesTo(source), 1);
    for (int i = 0; i < document.PageCount(); ++i)
        document.GetPage(i).SaveFile(folder.file("p" + std::to_string(i) + ".tif"));
    EXPECT_EQ(openHandlesTo(source), 1);
    document = PageImageDocument();
    EXPECT_EQ(openHandlesTo(source), 0);
}

TEST_F(SaveFile, PagesSaveAfterTheSourceIsRemoved) {
    std::vector<DirectorySnapshot> expected;
    {
        TiffInspector original(source);
        for (int i = 0; i < 3; ++i)
            expected.push_back(original.page(i));
    }
    fs::remove(source);
    for (int i = 0; i < 3; ++i) {
        const std::string target = folder.file("p" + std::to_string(i) + ".tif");
        document.GetPage(i).SaveFile(target);
        TiffInspector page(target);
        EXPECT_EQ(page.page(0).pixels, expected[static_cast<std::size_t>(i)].pixels);
    }
}

// The kernel does not copy between two kinds of file system (here tmpfs and the test
// folder's), so the data goes through the copier's buffer, more than one buffer full.
TEST(SaveFileAcrossFileSystems, CopiesThroughTheBuffer) {
    struct stat shm {
    }, temp{};
    if (stat("/dev/shm", &shm) != 0 || stat(fs::temp_directory_path().c_str(), &temp) != 0 ||
        shm.st_dev == temp.st_dev)
        GTEST_SKIP() << "needs /dev/shm on a file system of its own";
    TempFolder sourceFolder("/dev/shm"), folder;
    PageSpec big;
    big.width = 1500;
    big.height = 1000;
    big.rowsPerStrip = 1000;
    writeTiff(sourceFolder.file("big.tif"), {PageSpec{}, big});
    PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(sourceFolder.file("big.tif"))) << document.errorText();
    document.GetPage(1).SaveFile(folder.file("page.tif"));
    TiffInspector source(sourceFolder.file("big.tif")), page(folder.file("page.tif"));
    const DirectorySnapshot expected = source.page(1), actual = page.page(0);
    EXPECT_TRUE(expected.rawData == actual.rawData);
    EXPECT_TRUE(expected.pixels == actual.pixels);
}

TEST_F(SaveFile, MisuseIsRefused) {
    EXPECT_THROW(document.GetPage(-1), TiffError);
    EXPECT_THROW(document.GetPage(3), TiffError);
    EXPECT_THROW(document.SaveFile(folder.file("all.tif")), TiffError);
    EXPECT_THROW(PageImageDocument().SaveFile(folder.file("none.tif")), TiffError);
    EXPECT_EQ(PageImageDocument().PageCount(), 0);
    EXPECT_EQ(document.GetPage(2).PageCount(), 1);
    EXPECT_FALSE(document.LoadFile(folder.file("missing.tif")));
    EXPECT_EQ(document.PageCount(), 0);
    EXPECT_NE(document.errorText().find("No such file or directory"), std::string::npos);
}

TEST_F(SaveFile, OnlyRegularFilesAreLoaded) {
    ASSERT_EQ(mkfifo(folder.file("pipe.tif").c_str(), 0600), 0);
    EXPECT_FALSE(document.LoadFile(folder.file("pipe.tif"))); // must not wait for a writer
    EXPECT_NE(document.errorText().find("not a regular file"), std::string::npos);
    fs::create_directory(folder.file("folder.tif"));
    EXPECT_FALSE(document.LoadFile(folder.file("folder.tif")));
    EXPECT_NE(document.errorText().find("Is a directory"), std::string::npos);
}

} // namespace
} // namespace plexifold::test
