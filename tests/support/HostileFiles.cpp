#include "HostileFiles.h"

#include <utility>

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

// A header whose first directory lies at `firstDirectory`, then `padding` zero bytes.
std::function<Bytes()> headerOnly(std::uint64_t firstDirectory, std::size_t padding = 64) {
    return [=] {
        RawTiff tiff;
        tiff.append(Bytes(padding, 0));
        tiff.setFirstDirectory(firstDirectory);
        return tiff.data();
    };
}

HostileFile refused(std::string name, std::function<Bytes()> bytes, std::string reason) {
    return {std::move(name), std::move(bytes), 0, std::move(reason)};
}

HostileFile splits(std::string name, std::function<Bytes()> bytes, int pages,
                   std::string warning = "") {
    return {std::move(name), std::move(bytes), pages, std::move(warning)};
}

HostileFile failsAt(std::string name, std::function<Bytes()> bytes, int pages, int page,
                    std::string reason = "") {
    return {std::move(name), std::move(bytes), pages, std::move(reason), page};
}

std::vector<HostileFile> headerFiles() {
    return {
        refused(
            "NotATiff", [] { return text("GIF89a, and then nothing like a TIFF file"); },
            "not a TIFF file"),
        refused(
            "Empty", [] { return Bytes{}; }, "the file is empty"),
        refused(
            "MagicOnly", [] { return text("II"); }, "not a TIFF file"),
        refused(
            "MagicAndVersionOnly",
            [] {
                return Bytes{'M', 'M', 0, 42};
            },
            "header is incomplete"),
        refused(
            "BadVersion", [] { return Bytes{'I', 'I', 41, 0, 8, 0, 0, 0, 0, 0, 0, 0}; },
            "not a TIFF file"),
        refused(
            "BigTiffHeaderOfUnknownKind",
            [] { return Bytes{'I', 'I', 43, 0, 4, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0}; },
            "not a TIFF file"),
        refused("ZeroPages", headerOnly(0), "the file has no pages"),
        refused(
            "HeaderOnly", [] { return Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}; }, "no pages"),
        refused(
            "FirstDirectoryPastTheEnd",
            [] { return Bytes{'I', 'I', 42, 0, 0, 0, 0, 0x10, 0, 0, 0, 0}; }, "no pages"),
        refused("FirstDirectoryInsideTheHeader", headerOnly(4), "no pages"),
        refused("EmptyDirectory", headerOnly(8), "no pages"),
        refused("FirstDirectoryHugeEntryCount", entryCount(1, 0, 0xffff), "no pages"),
        refused("BigTiffHugeEntryCount", entryCount(1, 0, 0x7fffffffffffffff, kBig), "no pages"),
    };
}

std::vector<HostileFile> chainFiles() {
    return {
        splits("SecondDirectoryHugeEntryCount", entryCount(3, 1, 0xffff), 1),
        splits(
            "SecondDirectoryPastTheEnd",
            [] {
                RawTiff tiff;
                const auto ifds = appendPageChain(tiff, 3);
                tiff.setNext(ifds[0], kFarAway);
                return tiff.data();
            },
            1),
        splits("LoopToItself", loop(1, 0), 1),
        splits("LoopLastToFirst", loop(3, 0), 3),
        splits("LoopLastToMiddle", loop(4, 1), 4),
        splits("BigTiffLoopLastToFirst", loop(3, 0, kBig), 3),
        splits("BigTiffBigEndianLoopToItself", loop(2, 1, kBigBe), 2),
        splits("Bomb100000SquareOneStrip", secondPage(bomb(8, 0xffffffff)), 3),
        splits("Bomb100000SquareStripPerRow", secondPage(bomb(1, 1)), 3),
    };
}

std::vector<HostileFile> pageFiles() {
    return {
        failsAt("StripPastTheEnd",
                secondPage(replace(kOffsets, [](RawTiff& t) { return t.longs(273, {kFarAway}); })),
                3, 2, "strip 1 lies past the end of the file"),
        // Readers take the one strip of uncompressed rows from the image's size.
        splits("StripLengthPastTheEnd",
               secondPage(replace(kCounts, [](RawTiff& t) { return t.longs(279, {0xfffffff0}); })),
               3, "page 2: warning: StripByteCounts of 4294967280 does not fit the image"),
        failsAt(
            "BigTiffStripEndOverflows",
            secondPage(
                both(replace(kOffsets, [](RawTiff& t) { return t.long8s(273, {~0ull - 0xff}); }),
                     replace(kCounts, [](RawTiff& t) { return t.long8s(279, {0x200}); })),
                kBig),
            3, 2),
        failsAt("OffsetArraysPastTheEnd", secondPage(pointingArrays(false, kLong, 2, kFarAway)), 3,
                2),
        failsAt("OffsetArraysOfAGigaEntries", secondPage(pointingArrays(false, kLong, 1u << 30, 8)),
                3, 2),
        failsAt("BigTiffOffsetArraySizeOverflows",
                secondPage(pointingArrays(true, kLong8, (1ull << 61) + 1, 16), kBig), 3, 2),
        // The image does not need its ICC profile: left out.
        splits("BlobPastTheEnd", secondPage(add([](RawTiff& t) {
                   return pointingEntry(t, false, 34675, kUndefined, 1000, kFarAway);
               })),
               3,
               "page 2: warning: tag 34675 is left out: its value lies past the end of the file"),
        failsAt("PageWithoutWidth",
                secondPage([](RawTiff&, Entries& e) { e.erase(e.begin() + kWidth); }), 3, 2),
    };
}

// Files of appendPageChain's pages, whose strips tell the pages apart.
std::vector<HostileFile> onChains(std::vector<HostileFile> files) {
    for (HostileFile& file : files)
        file.stripBytes = 16;
    return files;
}

} // namespace

std::vector<HostileFile> hostileFiles() {
    std::vector<HostileFile> files = headerFiles();
    for (auto group :
         {onChains(chainFiles()), onChains(pageFiles()), truncatedFiles(), damagedPages()})
        files.insert(files.end(), group.begin(), group.end());
    return files;
}

} // namespace plexifold::test
