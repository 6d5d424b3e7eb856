// The file layer's guarantees wherever a page file goes (a plain folder, a folder named in
// other scripts, a path past the classic 260-character limit): a page file appears only
// complete, replaces an existing one in one step, and a failure leaves the old file and no
// temporary file.
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

#include "AtomicFile.h"
#include "FileBytes.h"
#include "FileHandle.h"
#include "OutputFile.h"
#include "PageImageDocument.h"
#include "PathText.h"
#include "RawTiff.h"
#include "TempFolder.h"

namespace plexifold::test {
namespace {

using imaging::OutputFile;
using imaging::PageImageDocument;
using imaging::TiffError;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::uint32_t Width = 64;

Bytes pixelsOf(int page) {
    Bytes pixels(Width * Width);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::size_t>(page) * 101);
    return pixels;
}

// Two grey pages, each one strip.
Bytes twoPages() {
    RawTiff tiff;
    std::uint64_t next = 0;
    for (int page = 2; page >= 1; --page) {
        const std::uint64_t strip = tiff.append(pixelsOf(page));
        next = tiff.addDirectory(tiff.greyPage(Width, Width, {strip}, {Width * Width}), next);
    }
    tiff.setFirstDirectory(next);
    return tiff.data();
}

// The strip of a single-page file, read back by RawTiff.
Bytes stripOf(const fs::path& path) {
    const Bytes file = readFileBytes(path);
    const auto directory = RawTiff::readDirectory(file, RawTiff::readHeader(file).first);
    const auto offset = RawTiff::valuesOf(file, *directory.find(273)).at(0);
    const auto count = RawTiff::valuesOf(file, *directory.find(279)).at(0);
    if (offset + count > file.size())
        return {};
    return {file.begin() + static_cast<std::ptrdiff_t>(offset),
            file.begin() + static_cast<std::ptrdiff_t>(offset + count)};
}

// The names in `folder`, which is moved to `shortPath` first: MinGW's directory listing
// stops at the classic limit of 260 characters.
std::vector<fs::path> namesIn(const fs::path& folder, const fs::path& shortPath) {
    fs::rename(folder, shortPath);
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(shortPath))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

struct TargetCase {
    const char* name;
    std::function<fs::path(const fs::path&)> folder; // where the source and its pages go
};

const TargetCase targetCases[] = {
    {"PlainFolder", [](const fs::path& base) { return base / "pages"; }},
    {"FolderNamedInOtherScripts",
     [](const fs::path& base) { return base / u8"Überweisungen 2026 日本"; }},
    {"PathOver260Characters", longFolderIn},
};

void PrintTo(const TargetCase& c, std::ostream* out) {
    *out << c.name;
}

class PageFiles : public testing::TestWithParam<TargetCase> {
protected:
    void TearDown() override { OutputFile::stopFailingWritesForTesting(); }
};

TEST_P(PageFiles, AppearWholeReplaceInOneStepAndLeaveNothingOnFailure) {
    TempFolder base;
    const fs::path folder = GetParam().folder(base.path());
    fs::create_directories(folder);
    const fs::path source = folder / u8"doc 日本.tif";
    writeFileBytes(source, twoPages());
    PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(source)) << document.errorText();
    const fs::path target = folder / u8"doc 日本_page_1.tif";

    const std::uint64_t written = document.GetPage(0).SaveFile(target);
    EXPECT_EQ(written, fs::file_size(target));
    EXPECT_EQ(stripOf(target), pixelsOf(1));

    document.GetPage(1).SaveFile(target);
    EXPECT_EQ(stripOf(target), pixelsOf(2)) << "the existing page file is replaced";
    const Bytes replaced = readFileBytes(target);

    OutputFile::failWritesForTesting(100, ENOSPC);
    try {
        document.GetPage(0).SaveFile(target);
        ADD_FAILURE() << "a failing write went unnoticed";
    } catch (const TiffError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot write " + files::Utf8Of(target) + ": " + std::strerror(ENOSPC));
    }
    EXPECT_EQ(readFileBytes(target), replaced);
    EXPECT_EQ(namesIn(folder, base.path() / "listed"),
              (std::vector<fs::path>{source.filename(), target.filename()}));
}

INSTANTIATE_TEST_SUITE_P(Targets, PageFiles, testing::ValuesIn(targetCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Offsets keep their high half: a write across 4 GiB and one past it land where asked, and
// nothing lands 4 GiB lower. The file is sparse, so this costs nothing.
TEST(FileHandle, ReadsAndWritesPastFourGiB) {
    constexpr std::uint64_t FourGiB = std::uint64_t{1} << 32;
    const std::uint64_t offsets[] = {FourGiB - 3, FourGiB + 20003};
    const Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8};
    TempFolder folder;
    const fs::path path = folder.path() / "far";
    {
        files::AtomicFile file(path);
        const std::span<const std::uint8_t> parts[] = {bytes};
        for (const std::uint64_t offset : offsets)
            EXPECT_EQ(file.file().writeAt(offset, parts).bytes, bytes.size());
        file.commit();
    }
    const files::FileHandle file = files::FileHandle::openForReading(path);
    EXPECT_EQ(file.size(), offsets[1] + bytes.size());
    Bytes read(bytes.size());
    for (const std::uint64_t offset : {offsets[0], offsets[1]}) {
        ASSERT_TRUE(file.readAt(offset, read.data(), read.size()));
        EXPECT_EQ(read, bytes) << offset;
    }
    ASSERT_TRUE(file.readAt(offsets[1] - FourGiB, read.data(), read.size()));
    EXPECT_EQ(read, Bytes(bytes.size(), 0));
}

} // namespace
} // namespace plexifold::test
