#include "SeedCorpus.h"

#include "OverlappingStrips.h"
#include "RawTiff.h"
#include "TiffFixtures.h"

namespace plexifold::fuzz {
namespace {

namespace fs = std::filesystem;
using test::FileSpec;
using test::PageSpec;
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
        {"palette.tif", small(1, 3), 1, le},
        {"rich-metadata.tif", with(small(5), [](PageSpec& p) { p.richMetadata = true; }), 2, le},
        {"rich-metadata-bigtiff-be.tif",
         with(small(1),
              [](PageSpec& p) {
                  p.richMetadata = true;
                  p.privateLong8 = {1, 1ull << 40};
              }),
         1, bigBe},
        {"subifds.tif", with(small(1), [](PageSpec& p) { p.subIfds = 2; }), 2, be},
        {"tiles.tif",
         with(small(1),
              [](PageSpec& p) {
                  p.width = 32;
                  p.tileSize = 16;
              }),
         2, le},
    };
}

// An old-style JPEG page: its interchange stream and tables live outside the strips.
void writeOldJpegPage(const fs::path& path) {
    RawTiff tiff;
    const std::uint64_t data = tiff.append(std::vector<std::uint8_t>(64, 0x5a));
    const std::uint64_t stream = tiff.append({0xff, 0xd8, 0xff, 0xd9});
    const std::uint64_t q = tiff.append(std::vector<std::uint8_t>(64, 1));
    std::vector<std::uint8_t> huffman(18, 0); // 16 code counts, then 2 symbols
    huffman[0] = 2;
    huffman[17] = 1;
    const std::uint64_t dc = tiff.append(huffman);
    const std::uint64_t ac = tiff.append(huffman);
    auto entries = tiff.greyPage(8, 4, {data, data + 32}, {32, 32});
    entries[3] = tiff.shorts(259, {6});
    for (const auto& [tag, value] : std::initializer_list<std::pair<std::uint16_t, std::uint64_t>>{
             {512, 1}, {513, stream}, {514, 4}, {519, q}, {520, dc}, {521, ac}})
        entries.push_back(tag == 512 ? tiff.shorts(tag, {value}) : tiff.longs(tag, {value}));
    tiff.setFirstDirectory(tiff.addDirectory(entries));
    test::writeFileBytes(path.string(), tiff.data());
}

// Three pages whose chain ends where it began.
void writeLoopingChain(const fs::path& path, bool bigTiff) {
    RawTiff tiff(bigTiff);
    const std::uint64_t data = tiff.append(std::vector<std::uint8_t>(16, 0x33));
    std::vector<std::uint64_t> ifds;
    for (int page = 0; page < 3; ++page)
        ifds.push_back(tiff.addDirectory(tiff.greyPage(4, 4, {data}, {16})));
    tiff.setFirstDirectory(ifds[0]);
    tiff.setNext(ifds[0], ifds[1]);
    tiff.setNext(ifds[1], ifds[2]);
    tiff.setNext(ifds[2], ifds[0]);
    test::writeFileBytes(path.string(), tiff.data());
}

// A page whose EXIF directory holds nothing but a pointer to a directory past the end
// of the file: left out, it leaves the EXIF directory empty.
void writeExifOfNothing(const fs::path& path) {
    RawTiff tiff;
    const std::uint64_t data = tiff.append(std::vector<std::uint8_t>(16, 0x44));
    const std::uint64_t exif = tiff.addDirectory({tiff.longs(40965, {0xfffff0})});
    auto entries = tiff.greyPage(4, 4, {data}, {16});
    entries.push_back(tiff.longs(34665, {exif}));
    tiff.setFirstDirectory(tiff.addDirectory(entries));
    test::writeFileBytes(path.string(), tiff.data());
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
    written.push_back(folder / "old-jpeg.tif");
    writeOldJpegPage(written.back());
    written.push_back(folder / "loop.tif");
    writeLoopingChain(written.back(), false);
    written.push_back(folder / "loop-bigtiff.tif");
    writeLoopingChain(written.back(), true);
    written.push_back(folder / "exif-of-nothing.tif");
    writeExifOfNothing(written.back());
    // A fax page of 3609 one-row strips overlapping at random in 64 KiB, and pages
    // sharing one range: stored one range at a time, they would make pages hundreds of
    // times larger than the file.
    written.push_back(folder / "overlapping-fax-rows.tif");
    test::writeFileBytes(written.back().string(), test::overlappingStripsFile({}));
    written.push_back(folder / "pages-sharing-one-range.tif");
    test::writeFileBytes(
        written.back().string(),
        test::overlappingStripsFile({.width = 1728, .strips = 64, .window = 16384, .pages = 12}));
    return written;
}

} // namespace plexifold::fuzz
