// --verify, --check and --checksums of the program: broken page files are each named with
// their page and what differs, and the manifest holds what sha256sum computes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "ChildProcess.h"
#include "FileBytes.h"
#include "HardeningPaths.h"
#include "TempFolder.h"
#include "TiffFixtures.h"

namespace {

using namespace plexifold::test;
namespace fs = std::filesystem;

ChildResult runCli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), kSplitBinary);
    return runChild(arguments);
}

// A little-endian TIFF page file, read and spoiled by hand, apart from the program's reader.
struct PageBytes {
    std::vector<std::uint8_t> bytes;

    std::uint32_t u32(std::size_t at) const {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
               static_cast<std::uint32_t>(bytes[at + 3]) << 24;
    }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
    }
    void put32(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    std::size_t page() const { return u32(4); }
    // Where the entry of `tag` lies in the directory at `directory`.
    std::size_t entry(std::size_t directory, std::uint16_t tag) const {
        for (std::size_t i = 0; i < u16(directory); ++i)
            if (u16(directory + 2 + 12 * i) == tag)
                return directory + 2 + 12 * i;
        throw std::runtime_error("no tag " + std::to_string(tag));
    }
    std::uint32_t value(std::size_t directory, std::uint16_t tag) const {
        return u32(entry(directory, tag) + 8);
    }
    std::size_t subIfd() const { return value(page(), 330); }
    // Where the offset of the first strip is held, in the entry or in its array.
    std::size_t firstStripOffsetAt(std::size_t directory) const {
        const std::size_t at = entry(directory, 273);
        return u32(at + 4) > 1 ? u32(at + 8) : at + 8;
    }
    std::size_t firstStrip(std::size_t directory) const {
        return u32(firstStripOffsetAt(directory));
    }
};

struct BrokenPage {
    const char* name;
    void (*spoil)(PageBytes&);
    const char* expected; // in the line of page 2
};

const BrokenPage brokenPages[] = {
    {"StripByte", [](PageBytes& p) { p.bytes[p.firstStrip(p.page()) + 10] ^= 1; },
     "differs: page 2: strip 1 differs from the source at byte 10"},
    {"TagValueByte", [](PageBytes& p) { p.bytes[p.value(p.page(), 700) + 3] ^= 1; },
     "differs: page 2: the value of tag 700 differs from the source at byte 3"},
    {"ExifEntry", [](PageBytes& p) { p.bytes[p.value(p.value(p.page(), 34665), 33434) + 1] ^= 1; },
     "differs: page 2 (EXIF directory): the value of tag 33434 differs from the source at byte 1"},
    {"StripOffsetMovedByOne",
     [](PageBytes& p) {
         const std::size_t at = p.firstStripOffsetAt(p.page());
         p.put32(at, p.u32(at) + 1);
     },
     "differs: page 2: strip 1 differs from the source at byte 0"},
    {"Truncated", [](PageBytes& p) { p.bytes.resize(p.bytes.size() - 100); },
     "lies past the end of the page file"},
    {"EntryDropped",
     [](PageBytes& p) { // the last entry, 65000, goes; the next-directory link moves up
         const std::size_t count = p.u16(p.page());
         p.bytes[p.page()] = static_cast<std::uint8_t>(count - 1);
         p.put32(p.page() + 2 + 12 * (count - 1), 0);
     },
     "differs: page 2: tag 65000 is missing"},
    {"SubIfdDataSwapped",
     [](PageBytes& p) { // its first two strips trade their first rows
         const std::size_t at = p.firstStripOffsetAt(p.subIfd());
         const auto first = p.bytes.begin() + static_cast<std::ptrdiff_t>(p.u32(at));
         const auto second = p.bytes.begin() + static_cast<std::ptrdiff_t>(p.u32(at + 4));
         std::swap_ranges(first, first + 128, second);
     },
     "differs: page 2 (SubIFD 1): strip 1 differs from the source at byte"},
};

void PrintTo(const BrokenPage& c, std::ostream* out) {
    *out << c.name;
}

class CheckFixture : public testing::Test {
protected:
    void SetUp() override {
        PageSpec page;
        page.richMetadata = true;
        page.subIfds = 1;
        std::vector<PageSpec> pages(3, page);
        for (std::uint32_t i = 0; i < 3; ++i)
            pages[i].seed = i + 1;
        writeTiff(path("doc.tif"), pages);
    }
    std::string path(const std::string& name) const { return m_dir.file(name); }

    TempFolder m_dir;
};

class BrokenPageFiles : public CheckFixture, public testing::WithParamInterface<BrokenPage> {};

TEST_P(BrokenPageFiles, AreEachNamedWithTheirPageAndDifference) {
    ASSERT_EQ(runCli({"--verify", path("doc.tif")}).exitCode, 0);
    PageBytes page{readFileBytes(path("doc_page_2.tif"))};
    GetParam().spoil(page);
    writeFileBytes(path("doc_page_2.tif"), page.bytes);

    const ChildResult run = runCli({"--check", m_dir.path().string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find(path("doc_page_1.tif") + ": ok\n"), std::string::npos) << run.out;
    const std::size_t line = run.out.find(path("doc_page_2.tif") + ": ");
    ASSERT_NE(line, std::string::npos) << run.out;
    const std::string text = run.out.substr(line, run.out.find('\n', line) - line);
    EXPECT_NE(text.find(GetParam().expected), std::string::npos) << text;
    EXPECT_NE(run.out.find("1 file, 3 pages checked: 2 ok, 0 missing, 1 differ"), std::string::npos)
        << "the page files are taken as outputs, not sources:\n"
        << run.out;
}

INSTANTIATE_TEST_SUITE_P(Spoiled, BrokenPageFiles, testing::ValuesIn(brokenPages),
                         [](const auto& info) { return std::string(info.param.name); });

// Named like a page but of several pages: a source of its own, whose pages are looked for.
TEST_F(CheckFixture, AFileNamedLikeAPageButOfSeveralPagesIsASource) {
    ASSERT_EQ(runCli({path("doc.tif")}).exitCode, 0);
    writeMultipageTiff(path("doc_page_2.tif"), 2);

    const ChildResult run = runCli({"--check", m_dir.path().string()});
    EXPECT_EQ(run.exitCode, 1);
    for (const std::string& line :
         {path("doc_page_2.tif") + ": differs: page 2: the page file holds 2 pages\n",
          path("doc_page_2_page_1.tif") + ": missing\n", path("doc_page_3.tif") + ": ok\n",
          std::string("2 files, 5 pages checked: 2 ok, 2 missing, 1 differ\n")})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(CheckFixture, ManifestHoldsEachPageFilesSha256AndCheckComparesWithIt) {
    const std::string manifest = path("manifest-sha256.txt");
    ASSERT_EQ(runCli({"--verify", "--checksums", manifest, path("doc.tif")}).exitCode, 0);
    const ChildResult sums = runChild(
        {"/bin/sh", "-c", "cd '" + m_dir.path().string() + "' && sha256sum doc_page_*.tif"});
    EXPECT_EQ(readText(manifest), sums.out);

    EXPECT_EQ(runCli({"--check", "--checksums", manifest, path("doc.tif")}).exitCode, 0);
    std::string edited = readText(manifest);
    edited[edited.find("doc_page_3") - 3] ^= 1; // a checksum's last digit
    std::ofstream(manifest, std::ios::binary) << edited;
    fs::remove(path("doc_page_1.tif"));
    const ChildResult run = runCli({"--check", "--checksums", manifest, path("doc.tif")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("doc_page_1.tif: missing\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("doc_page_2.tif: ok\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("doc_page_3.tif: differs: its SHA-256 is not the one in "),
              std::string::npos)
        << run.out;
}

} // namespace
