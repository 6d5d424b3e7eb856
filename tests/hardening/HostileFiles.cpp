#include "HostileFiles.h"

#include "RawTiff.h"

namespace plexifold::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Spoil = std::function<void(RawTiff&, std::vector<RawEntry>&)>;

constexpr std::uint64_t kFarAway = 0x7fff0000;

enum Field { kWidth = 0, kHeight = 1, kCompression = 3, kOffsets = 5, kCounts = 8 };

struct Layout {
    bool bigTiff = false;
    bool bigEndian = false;
};

// `pages` good pages; page `spoilt` (from 1) has `spoil` applied to its entries.
// Returns the file and the offsets of its directories.
std::pair<RawTiff, std::vector<std::uint64_t>> chain(int pages, int spoilt = 0,
                                                     const Spoil& spoil = {}, Layout layout = {}) {
    RawTiff tiff(layout.bigTiff, layout.bigEndian);
    const std::uint64_t data = tiff.append(goodPixels());
    std::vector<std::uint64_t> ifds;
    for (int page = 1; page <= pages; ++page) {
        auto entries = stripPageEntries(
            4, 4, 4, 1, [data](std::uint64_t) { return data; }, [](std::uint64_t) { return 16; });
        if (page == spoilt)
            spoil(tiff, entries);
        ifds.push_back(tiff.appendIfd(entries));
        if (page == 1)
            tiff.setFirstIfd(ifds.back());
        else
            tiff.setNextIfd(ifds[ifds.size() - 2], ifds.back());
    }
    return {std::move(tiff), std::move(ifds)};
}

// A three-page file whose second page is spoilt.
std::function<Bytes()> secondPage(const Spoil& spoil, Layout layout = {}) {
    return [spoil, layout] { return chain(3, 2, spoil, layout).first.bytes(); };
}

// A chain whose last directory points back at directory `target` (from 0).
std::function<Bytes()> loop(int pages, int target, Layout layout = {}) {
    return [=] {
        auto [tiff, ifds] = chain(pages, 0, {}, layout);
        tiff.setNextIfd(ifds.back(), ifds[static_cast<std::size_t>(target)]);
        return tiff.bytes();
    };
}

// A chain whose directory `index` (from 0) claims `count` entries.
std::function<Bytes()> entryCount(int pages, int index, std::uint64_t count, Layout layout = {}) {
    return [=] {
        auto [tiff, ifds] = chain(pages, 0, {}, layout);
        tiff.put(ifds[static_cast<std::size_t>(index)], count, layout.bigTiff ? 8 : 2);
        return tiff.bytes();
    };
}

Spoil replace(Field field, RawEntry entry) {
    return [field, entry](RawTiff&, std::vector<RawEntry>& entries) { entries[field] = entry; };
}

Spoil add(RawEntry entry) {
    return [entry](RawTiff&, std::vector<RawEntry>& entries) { entries.push_back(entry); };
}

Spoil both(Spoil first, Spoil second) {
    return [first, second](RawTiff& tiff, std::vector<RawEntry>& entries) {
        first(tiff, entries);
        second(tiff, entries);
    };
}

// A page of 100000 x 100000 pixels whose strips all hold the same 16 bytes.
Spoil bomb(std::uint16_t compression, std::uint32_t rowsPerStrip) {
    return [=](RawTiff& tiff, std::vector<RawEntry>& entries) {
        const std::uint64_t data = tiff.append(goodPixels());
        const std::uint64_t strips = (std::uint64_t{100000} + rowsPerStrip - 1) / rowsPerStrip;
        entries = stripPageEntries(
            100000, 100000, rowsPerStrip, strips, [data](std::uint64_t) { return data; },
            [](std::uint64_t) { return 16; });
        entries[kCompression] = RawEntry::of(259, kShort, {compression});
    };
}

Bytes text(const std::string& bytes) {
    return {bytes.begin(), bytes.end()};
}

const Layout kBig{true, false};
const Layout kBigBe{true, true};

std::vector<HostileFile> headerFiles() {
    using V = Verdict;
    return {
        {"NotATiff", [] { return text("GIF89a, and then nothing like a TIFF file"); }, V::Refused},
        {"Empty", [] { return Bytes{}; }, V::Refused},
        {"MagicOnly", [] { return text("II"); }, V::Refused},
        {"MagicAndVersionOnly",
         [] {
             return Bytes{'M', 'M', 0, 42};
         },
         V::Refused},
        {"BadVersion", [] { return Bytes{'I', 'I', 41, 0, 8, 0, 0, 0, 0, 0, 0, 0}; }, V::Refused},
        {"BigTiffBadOffsetSize",
         [] { return Bytes{'I', 'I', 43, 0, 4, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0}; }, V::Refused},
        {"HeaderOnly", [] { return Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}; }, V::Refused},
        {"FirstDirectoryPastTheEnd",
         [] { return Bytes{'I', 'I', 42, 0, 0, 0, 0, 0x10, 0, 0, 0, 0}; }, V::Refused},
        {"FirstDirectoryHugeEntryCount", entryCount(1, 0, 0xffff), V::Refused},
        {"BigTiffHugeEntryCount", entryCount(1, 0, 0x7fffffffffffffff, kBig), V::Refused},
    };
}

std::vector<HostileFile> chainFiles() {
    using V = Verdict;
    return {
        {"SecondDirectoryHugeEntryCount", entryCount(3, 1, 0xffff), V::Splits, 1, 1},
        {"SecondDirectoryPastTheEnd",
         [] {
             auto [tiff, ifds] = chain(3);
             tiff.setNextIfd(ifds[0], kFarAway);
             return tiff.bytes();
         },
         V::Splits, 1, 1},
        {"LoopToItself", loop(1, 0), V::Splits, 1, 1},
        {"LoopLastToFirst", loop(3, 0), V::Splits, 3, 3},
        {"LoopLastToMiddle", loop(4, 1), V::Splits, 4, 4},
        {"BigTiffLoopLastToFirst", loop(3, 0, kBig), V::Splits, 3, 3},
        {"BigTiffBigEndianLoopToItself", loop(2, 1, kBigBe), V::Splits, 2, 2},
        {"Bomb100000SquareOneStrip", secondPage(bomb(8, 0xffffffff)), V::Splits, 3, 3},
        {"Bomb100000SquareStripPerRow", secondPage(bomb(1, 1)), V::Splits, 3, 3},
    };
}

std::vector<HostileFile> pageFiles() {
    using V = Verdict;
    return {
        {"StripPastTheEnd", secondPage(replace(kOffsets, RawEntry::of(273, kLong, {kFarAway}))),
         V::FailsAt, 2, 3},
        {"StripLengthPastTheEnd",
         secondPage(replace(kCounts, RawEntry::of(279, kLong, {0xfffffff0}))), V::FailsAt, 2, 3},
        {"BigTiffStripEndOverflows",
         secondPage(both(replace(kOffsets, RawEntry::of(273, kLong8, {0xffffffffffffff00})),
                         replace(kCounts, RawEntry::of(279, kLong8, {0x200}))),
                    kBig),
         V::FailsAt, 2, 3},
        {"OffsetArrayPastTheEnd",
         secondPage(both(replace(kOffsets, RawEntry::pointing(273, kLong, 2, kFarAway)),
                         replace(kCounts, RawEntry::pointing(279, kLong, 2, kFarAway)))),
         V::FailsAt, 2, 3},
        {"OffsetArrayOfAGigaEntries",
         secondPage(both(replace(kOffsets, RawEntry::pointing(273, kLong, 0x40000000, 8)),
                         replace(kCounts, RawEntry::pointing(279, kLong, 0x40000000, 8)))),
         V::FailsAt, 2, 3},
        {"BigTiffOffsetArraySizeOverflows",
         secondPage(both(replace(kOffsets, RawEntry::pointing(273, kLong8, 0x2000000000000001, 16)),
                         replace(kCounts, RawEntry::pointing(279, kLong8, 0x2000000000000001, 16))),
                    kBig),
         V::FailsAt, 2, 3},
        {"StripCountMismatch", secondPage(replace(kOffsets, RawEntry::of(273, kLong, {8, 8}))),
         V::FailsAt, 2, 3},
        {"BlobPastTheEnd", secondPage(add(RawEntry::pointing(34675, kUndefined, 1000, kFarAway))),
         V::FailsAt, 2, 3},
        {"ExifDirectoryPastTheEnd", secondPage(add(RawEntry::of(34665, kLong, {kFarAway}))),
         V::FailsAt, 2, 3},
        {"PageWithoutWidth",
         secondPage([](RawTiff&, std::vector<RawEntry>& e) { e.erase(e.begin() + kWidth); }),
         V::FailsAt, 2, 3},
    };
}

} // namespace

std::vector<std::uint8_t> goodPixels() {
    std::vector<std::uint8_t> pixels(16);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 16 + 3);
    return pixels;
}

std::vector<HostileFile> hostileFiles() {
    std::vector<HostileFile> files = headerFiles();
    for (auto group : {chainFiles(), pageFiles()})
        files.insert(files.end(), group.begin(), group.end());
    return files;
}

} // namespace plexifold::test
