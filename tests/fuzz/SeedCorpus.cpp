#include "SeedCorpus.h"

#include "RawTiff.h"
#include "TiffFixtures.h"

namespace plexifold::fuzz {
namespace {

namespace fs = std::filesystem;
using test::FileSpec;
using test::PageSpec;
using test::RawEntry;
using test::RawTiff;

struct FixtureSeed {
    const char* name;
    PageSpec page;
    int pages;
    FileSpec file;
};

// Small pages keep the inputs short, which keeps the fuzzer fast.
PageSpec small(std::uint16_t compression, std::uint16_t photometric = 1,
               std::uint16_t bitsPerSample = 8, std::uint16_t samplesPerPixel = 1) {
    PageSpec page;
    page.width = 16;
    page.height = 16;
    page.rowsPerStrip = 8;
    page.compression = compression;
    page.photometric = photometric;
    page.bitsPerSample = bitsPerSample;
    page.samplesPerPixel = samplesPerPixel;
    return page;
}

PageSpec with(PageSpec page, void (*change)(PageSpec&)) {
    change(page);
    return page;
}

std::vector<FixtureSeed> fixtureSeeds() {
    const FileSpec le{}, be{false, true}, bigLe{true, false}, bigBe{true, true};
    return {
        {"none-le.tif", small(1), 2, le},
        {"none-be.tif", small(1), 2, be},
        {"bigtiff-le.tif", small(1), 2, bigLe},
        {"bigtiff-be.tif", small(1), 2, bigBe},
        {"lzw-predictor.tif", with(small(5), [](PageSpec& p) { p.predictor = 2; }), 2, le},
        {"deflate-be.tif", small(8), 2, be},
        {"packbits.tif", small(32773), 1, le},
        {"g4.tif", small(4, 0, 1), 2, le},
        {"g3.tif", small(3, 0, 1), 1, be},
        {"jpeg-tiles.tif", with(small(7, 2, 8, 3), [](PageSpec& p) { p.tileSize = 16; }), 1, le},
        {"rgb-planar.tif", with(small(1, 2, 8, 3), [](PageSpec& p) { p.planarConfig = 2; }), 1, be},
        {"gray16-bigtiff.tif", small(1, 1, 16), 1, bigBe},
        {"tiles.tif",
         with(small(1),
              [](PageSpec& p) {
                  p.width = 32;
                  p.tileSize = 16;
              }),
         2, le},
    };
}

RawEntry text(std::uint16_t tag, const std::string& value) {
    std::vector<std::uint64_t> chars(value.begin(), value.end());
    chars.push_back(0);
    return RawEntry::of(tag, test::kAscii, chars);
}

std::vector<std::uint64_t> filled(std::size_t count, std::uint64_t first) {
    std::vector<std::uint64_t> values(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = (first + i * 7) & 0xff;
    return values;
}

std::vector<RawEntry> plainPage(RawTiff& tiff) {
    const std::uint64_t data = tiff.append(std::vector<std::uint8_t>(64, 0x5a));
    return test::stripPageEntries(
        8, 8, 4, 2, [data](std::uint64_t i) { return data + 32 * i; },
        [](std::uint64_t) { return 32; });
}

// One page with SubIFDs, EXIF, GPS and Interoperability directories and out-of-line
// private, ICC and XMP blobs.
void writeRichPage(const fs::path& path, bool bigTiff, bool bigEndian) {
    RawTiff tiff(bigTiff, bigEndian);
    const std::uint64_t sub = tiff.appendIfd(plainPage(tiff));
    const std::uint64_t interop = tiff.appendIfd({text(1, "R98")});
    const std::uint64_t exif = tiff.appendIfd({RawEntry::of(33434, test::kRational, {1}),
                                               text(36867, "2024:01:02 03:04:05"),
                                               RawEntry::of(40965, test::kLong, {interop})});
    const std::uint64_t gps = tiff.appendIfd({RawEntry::of(0, test::kByte, {2, 2, 0, 0})});
    std::vector<RawEntry> entries = plainPage(tiff);
    entries.push_back(RawEntry::of(330, test::kLong, {sub}));
    entries.push_back(RawEntry::of(700, test::kByte, filled(40, 1)));
    entries.push_back(RawEntry::of(34665, test::kLong, {exif}));
    entries.push_back(RawEntry::of(34675, test::kUndefined, filled(48, 3)));
    entries.push_back(RawEntry::of(34853, test::kLong, {gps}));
    entries.push_back(RawEntry::of(65000, test::kUndefined, filled(24, 9)));
    tiff.setFirstIfd(tiff.appendIfd(entries));
    tiff.save(path.string());
}

// An old-style JPEG page: its interchange stream and tables live outside the strips.
void writeOldJpegPage(const fs::path& path) {
    RawTiff tiff;
    const std::uint64_t stream = tiff.append({0xff, 0xd8, 0xff, 0xd9});
    const std::uint64_t q = tiff.append(std::vector<std::uint8_t>(64, 1));
    std::vector<std::uint8_t> huffman(16, 0);
    huffman[0] = 2;
    huffman.push_back(0);
    huffman.push_back(1);
    const std::uint64_t dc = tiff.append(huffman);
    const std::uint64_t ac = tiff.append(huffman);
    std::vector<RawEntry> entries = plainPage(tiff);
    entries[3] = RawEntry::of(259, test::kShort, {6});
    entries.push_back(RawEntry::of(512, test::kShort, {1}));
    entries.push_back(RawEntry::of(513, test::kLong, {stream}));
    entries.push_back(RawEntry::of(514, test::kLong, {4}));
    entries.push_back(RawEntry::of(519, test::kLong, {q}));
    entries.push_back(RawEntry::of(520, test::kLong, {dc}));
    entries.push_back(RawEntry::of(521, test::kLong, {ac}));
    tiff.setFirstIfd(tiff.appendIfd(entries));
    tiff.save(path.string());
}

// Three pages whose chain ends where it began.
void writeLoopingChain(const fs::path& path, bool bigTiff) {
    RawTiff tiff(bigTiff);
    const auto ifds = test::appendPageChain(tiff, 3);
    tiff.setNextIfd(ifds.back(), ifds.front());
    tiff.save(path.string());
}

} // namespace

std::vector<fs::path> writeSeedCorpus(const fs::path& folder) {
    fs::create_directories(folder);
    std::vector<fs::path> written;
    for (const FixtureSeed& seed : fixtureSeeds()) {
        written.push_back(folder / seed.name);
        std::vector<PageSpec> pages(static_cast<std::size_t>(seed.pages), seed.page);
        for (std::size_t i = 0; i < pages.size(); ++i)
            pages[i].seed = static_cast<std::uint32_t>(i + 1);
        test::writeTiff(written.back().string(), pages, seed.file);
    }
    written.push_back(folder / "rich-le.tif");
    writeRichPage(written.back(), false, false);
    written.push_back(folder / "rich-bigtiff-be.tif");
    writeRichPage(written.back(), true, true);
    written.push_back(folder / "old-jpeg.tif");
    writeOldJpegPage(written.back());
    written.push_back(folder / "loop.tif");
    writeLoopingChain(written.back(), false);
    written.push_back(folder / "loop-bigtiff.tif");
    writeLoopingChain(written.back(), true);
    return written;
}

} // namespace plexifold::fuzz
