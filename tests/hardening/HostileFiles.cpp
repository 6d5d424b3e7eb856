#include "HostileFiles.h"

#include "PageChain.h"
#include "TruncatedFiles.h"

namespace plexifold::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Entries = std::vector<RawTiff::Entry>;

constexpr std::uint64_t kFarAway = 0x7fff0000;
constexpr std::uint16_t kLong = 4, kUndefined = 7, kLong8 = 16;

// Where greyPage() puts its entries.
enum Field { kWidth = 0, kCompression = 3, kOffsets = 5, kCounts = 8 };

struct Layout {
    bool bigTiff = false;
    bool bigEndian = false;
};
const Layout kBig{true, false};
const Layout kBigBe{true, true};

// A three-page file whose second page is changed.
std::function<Bytes()> secondPage(EntryChange change, Layout layout = {}) {
    return [change, layout] {
        RawTiff tiff(layout.bigTiff, layout.bigEndian);
        appendPageChain(tiff, 3, 2, change);
        return tiff.data();
    };
}

// A chain whose last directory points back at directory `target` (from 0).
std::function<Bytes()> loop(int pages, int target, Layout layout = {}) {
    return [=] {
        RawTiff tiff(layout.bigTiff, layout.bigEndian);
        const auto ifds = appendPageChain(tiff, static_cast<std::uint64_t>(pages));
        tiff.setNext(ifds.back(), ifds[static_cast<std::size_t>(target)]);
        return tiff.data();
    };
}

// A chain whose directory `index` (from 0) claims `count` entries.
std::function<Bytes()> entryCount(int pages, int index, std::uint64_t count, Layout layout = {}) {
    return [=] {
        RawTiff tiff(layout.bigTiff, layout.bigEndian);
        const auto ifds = appendPageChain(tiff, static_cast<std::uint64_t>(pages));
        tiff.patch(ifds[static_cast<std::size_t>(index)], count, layout.bigTiff ? 8 : 2);
        return tiff.data();
    };
}

EntryChange replace(Field field, std::function<RawTiff::Entry(RawTiff&)> entry) {
    return [=](RawTiff& tiff, Entries& entries) { entries[field] = entry(tiff); };
}

EntryChange add(std::function<RawTiff::Entry(RawTiff&)> entry) {
    return [=](RawTiff& tiff, Entries& entries) { entries.push_back(entry(tiff)); };
}

EntryChange both(EntryChange first, EntryChange second) {
    return [=](RawTiff& tiff, Entries& entries) {
        first(tiff, entries);
        second(tiff, entries);
    };
}

// Offsets and byte counts that both claim `count` values at `field`.
EntryChange pointingArrays(bool bigTiff, std::uint16_t type, std::uint64_t count,
                           std::uint64_t field) {
    return [=](RawTiff& tiff, Entries& entries) {
        entries[kOffsets] = pointingEntry(tiff, bigTiff, 273, type, count, field);
        entries[kCounts] = pointingEntry(tiff, bigTiff, 279, type, count, field);
    };
}

// A page of 100000 x 100000 pixels whose strips all hold the same 16 bytes.
EntryChange bomb(std::uint16_t compression, std::uint32_t rowsPerStrip) {
    return [=](RawTiff& tiff, Entries& entries) {
        const std::uint64_t data = tiff.append(pagePixels(2));
        const std::uint64_t strips = (std::uint64_t{100000} + rowsPerStrip - 1) / rowsPerStrip;
        entries = tiff.greyPage(100000, rowsPerStrip, std::vector<std::uint64_t>(strips, data),
                                std::vector<std::uint64_t>(strips, 16));
        entries[1] = tiff.longs(257, {100000});
        entries[kCompression] = tiff.shorts(259, {compression});
    };
}

Bytes text(const std::string& bytes) {
    return {bytes.begin(), bytes.end()};
}

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
             RawTiff tiff;
             const auto ifds = appendPageChain(tiff, 3);
             tiff.setNext(ifds[0], kFarAway);
             return tiff.data();
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
        {"StripPastTheEnd",
         secondPage(replace(kOffsets, [](RawTiff& t) { return t.longs(273, {kFarAway}); })),
         V::FailsAt, 2, 3},
        // Readers take the one strip of uncompressed rows from the image's size.
        {"StripLengthPastTheEnd",
         secondPage(replace(kCounts, [](RawTiff& t) { return t.longs(279, {0xfffffff0}); })),
         V::Splits, 3, 3},
        {"BigTiffStripEndOverflows",
         secondPage(
             both(replace(kOffsets, [](RawTiff& t) { return t.long8s(273, {~0ull - 0xff}); }),
                  replace(kCounts, [](RawTiff& t) { return t.long8s(279, {0x200}); })),
             kBig),
         V::FailsAt, 2, 3},
        {"OffsetArraysPastTheEnd", secondPage(pointingArrays(false, kLong, 2, kFarAway)),
         V::FailsAt, 2, 3},
        {"OffsetArraysOfAGigaEntries", secondPage(pointingArrays(false, kLong, 1u << 30, 8)),
         V::FailsAt, 2, 3},
        {"BigTiffOffsetArraySizeOverflows",
         secondPage(pointingArrays(true, kLong8, (1ull << 61) + 1, 16), kBig), V::FailsAt, 2, 3},
        {"BlobPastTheEnd", secondPage(add([](RawTiff& t) {
             return pointingEntry(t, false, 34675, kUndefined, 1000, kFarAway);
         })),
         V::Splits, 3, 3}, // the image does not need its ICC profile: left out
        {"PageWithoutWidth", secondPage([](RawTiff&, Entries& e) { e.erase(e.begin() + kWidth); }),
         V::FailsAt, 2, 3},
    };
}

} // namespace

std::vector<HostileFile> hostileFiles() {
    std::vector<HostileFile> files = headerFiles();
    for (auto group : {chainFiles(), pageFiles(), truncatedFiles()})
        files.insert(files.end(), group.begin(), group.end());
    return files;
}

} // namespace plexifold::test
