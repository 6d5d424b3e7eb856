#include <functional>
#include <optional>
#include <tiffio.h>

#include "FileBytes.h"
#include "HostileFiles.h"
#include "PageChain.h"
#include "RawTiff.h"
#include "TempFolder.h"
#include "TiffFixtures.h"

// Pages whose own entries are damaged: strips, values, JPEG streams, EXIF and GPS
// directories, and libtiff's files cut short.
namespace plexifold::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A small grey page: two strips of 8 x 2 pixels, then its directory (entries may be
// replaced or added by `change`). Returns the directory's offset.
std::uint64_t addPage(RawTiff& tiff,
                      const std::function<void(std::vector<RawTiff::Entry>&)>& change = nullptr) {
    const std::uint64_t first = tiff.append(Bytes(16, 0x40));
    const std::uint64_t second = tiff.append(Bytes(16, 0x80));
    auto entries = tiff.greyPage(8, 2, {first, second}, {16, 16});
    if (change)
        change(entries);
    return tiff.addDirectory(entries);
}

void setEntry(std::vector<RawTiff::Entry>& entries, RawTiff::Entry entry) {
    for (auto& e : entries)
        if (e.tag == entry.tag) {
            e = std::move(entry);
            return;
        }
    entries.push_back(std::move(entry));
}

std::uint64_t firstValue(const RawTiff::Entry& entry) {
    return entry.value[0] | entry.value[1] << 8 | entry.value[2] << 16 | entry.value[3] << 24;
}

Bytes onePage(const std::function<void(RawTiff&, std::vector<RawTiff::Entry>&)>& change) {
    RawTiff tiff;
    tiff.setFirstDirectory(addPage(tiff, [&](auto& entries) { change(tiff, entries); }));
    return tiff.data();
}

Bytes nestedSubIfds(int depth) {
    RawTiff tiff;
    std::uint64_t child = 0;
    for (int i = 0; i < depth; ++i)
        child = addPage(tiff, [&](auto& entries) {
            if (child)
                entries.push_back(tiff.longs(330, {child}));
        });
    tiff.setFirstDirectory(child);
    return tiff.data();
}

Bytes libtiffFileCutBy(std::size_t cut) {
    TempFolder folder;
    writeMultipageTiff(folder.file("whole.tif"), 3);
    Bytes bytes = readFileBytes(folder.file("whole.tif"));
    bytes.resize(bytes.size() - cut);
    return bytes;
}

Bytes libtiffFileCutShort() {
    TempFolder folder;
    writeMultipageTiff(folder.file("whole.tif"), 3);
    Bytes bytes = readFileBytes(folder.file("whole.tif"));
    std::uint64_t last = RawTiff::readHeader(bytes).first;
    while (const std::uint64_t next = RawTiff::readDirectory(bytes, last).next)
        last = next;
    bytes.resize(last + 20); // into the last directory
    return bytes;
}

// A page libtiff writes, its directory's entries then changed (classic, little-endian).
Bytes libtiffPage(const PageSpec& spec,
                  const std::function<void(Bytes&, std::uint64_t directory)>& change) {
    TempFolder folder;
    writeTiff(folder.file("page.tif"), {spec});
    Bytes bytes = readFileBytes(folder.file("page.tif"));
    change(bytes, RawTiff::readHeader(bytes).first);
    return bytes;
}

// Sets the value field of entry `tag` of the directory at `directory`.
void setField(Bytes& file, std::uint64_t directory, std::uint16_t tag, std::uint32_t value) {
    const auto entries = RawTiff::readDirectory(file, directory).entries;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].tag == tag)
            for (std::size_t b = 0; b < 4; ++b)
                file[directory + 2 + i * 12 + 8 + b] = static_cast<std::uint8_t>(value >> (8 * b));
}

// A whole JPEG stream of a grey 16 x 16 image, as libtiff encodes it.
Bytes jpegStream() {
    TempFolder folder;
    PageSpec spec;
    spec.width = spec.height = spec.rowsPerStrip = 16;
    spec.compression = 7;
    writeTiff(folder.file("jpeg.tif"), {spec});
    TIFF* tif = TIFFOpen(folder.file("jpeg.tif").c_str(), "r");
    std::uint32_t tablesSize = 0;
    const std::uint8_t* tables = nullptr;
    TIFFGetField(tif, TIFFTAG_JPEGTABLES, &tablesSize, &tables);
    Bytes strip(static_cast<std::size_t>(TIFFRawStripSize(tif, 0)));
    TIFFReadRawStrip(tif, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
    // The tables without their end-of-image marker, then the strip after its start marker.
    Bytes stream(tables, tables + tablesSize - 2);
    stream.insert(stream.end(), strip.begin() + 2, strip.end());
    TIFFClose(tif);
    return stream;
}

// A grey 16 x 16 old-style JPEG page whose one strip is the whole `stream`, which
// JPEGInterchangeFormat points at, with JPEGInterchangeFormatLength `length` (none: left out).
Bytes oldStyleJpeg(const Bytes& stream, std::optional<std::uint64_t> length) {
    RawTiff tiff;
    const std::uint64_t at = tiff.append(stream);
    tiff.append(Bytes(40, 0xff)); // not part of the stream
    auto entries = tiff.greyPage(16, 16, {at}, {stream.size()});
    setEntry(entries, tiff.shorts(259, {6}));
    entries.push_back(tiff.shorts(512, {1}));
    entries.push_back(tiff.longs(513, {at}));
    if (length)
        entries.push_back(tiff.longs(514, {*length}));
    tiff.setFirstDirectory(tiff.addDirectory(entries));
    return tiff.data();
}

// A single-strip page of CCITT G4 data whose StripByteCounts is 0.
Bytes faxWithoutByteCount() {
    PageSpec fax;
    fax.compression = 4;
    fax.photometric = 0;
    fax.bitsPerSample = 1;
    fax.rowsPerStrip = fax.height;
    return libtiffPage(fax, [](Bytes& file, std::uint64_t d) { setField(file, d, 279, 0); });
}

// A page whose entries `change` replaces or joins, which libtiff refuses to read, and
// for which the page fails with `reason`.
HostileFile refusedPage(std::string name,
                        std::function<std::vector<RawTiff::Entry>(const RawTiff&)> change,
                        std::string reason) {
    HostileFile file{std::move(name),
                     [change] {
                         return onePage([&](RawTiff& t, auto& e) {
                             for (auto& entry : change(t))
                                 setEntry(e, std::move(entry));
                         });
                     },
                     1, std::move(reason), 1};
    file.libtiffRefuses = true;
    return file;
}

// What libtiff checks of a page's own entries before it reads the page.
std::vector<HostileFile> refusedPages() {
    using E = std::vector<RawTiff::Entry>;
    return {
        refusedPage(
            "WidthOfZero", [](auto& t) { return E{t.shorts(256, {0})}; }, "ImageWidth is 0"),
        refusedPage(
            "LengthOfZero", [](auto& t) { return E{t.longs(257, {0})}; }, "ImageLength is 0"),
        refusedPage(
            "WidthOfTwoValues",
            [](auto& t) {
                return E{t.longs(256, {8, 8})};
            },
            "ImageWidth holds 2 values, not one"),
        refusedPage(
            "WidthAsText", [](auto&) { return E{RawTiff::ascii(256, "8")}; },
            "ImageWidth has an unexpected type"),
        refusedPage(
            "SamplesPerPixelOfZero", [](auto& t) { return E{t.shorts(277, {0})}; },
            "SamplesPerPixel is 0"),
        refusedPage(
            "SamplesPerPixelOutOfRange", [](auto& t) { return E{t.longs(277, {70000})}; },
            "SamplesPerPixel of 70000 is out of range"),
        refusedPage(
            "BitsPerSampleOfZero", [](auto& t) { return E{t.shorts(258, {0})}; },
            "BitsPerSample is 0"),
        refusedPage(
            "BitsPerSampleDifferingPerSample",
            [](auto& t) {
                return E{t.shorts(277, {2}), t.shorts(258, {8, 16})};
            },
            "BitsPerSample differs from sample to sample"),
        refusedPage(
            "BitsPerSampleForTooFewSamples",
            [](auto& t) {
                return E{t.shorts(277, {3}), t.shorts(258, {8, 8})};
            },
            "BitsPerSample lists 2 values but SamplesPerPixel is 3"),
        refusedPage(
            "RowsPerStripOfZero", [](auto& t) { return E{t.shorts(278, {0})}; },
            "RowsPerStrip is 0"),
        refusedPage(
            "PlanarConfigurationOutOfRange", [](auto& t) { return E{t.shorts(284, {3})}; },
            "PlanarConfiguration of 3 is out of range"),
        refusedPage(
            "SampleFormatOutOfRange", [](auto& t) { return E{t.shorts(339, {9})}; },
            "SampleFormat of 9 is out of range"),
        refusedPage(
            "ExtraSamplesBeyondTheSamples",
            [](auto& t) {
                return E{t.shorts(338, {0, 0})};
            },
            "ExtraSamples lists 2 extra samples but SamplesPerPixel is 1"),
    };
}

} // namespace

std::vector<HostileFile> damagedPages() {
    std::vector<HostileFile> files = refusedPages();
    const std::vector<HostileFile> others = {
        {"LibtiffFileCutInItsLastDirectory", libtiffFileCutShort, 2, ""},
        {"LibtiffFileCutInItsLastValues", [] { return libtiffFileCutBy(4); }, 3, "the value of", 3},
        {"StripRunsPastTheEnd",
         [] { return onePage([](RawTiff& t, auto& e) {
                  setEntry(e, t.longs(279, {16, 5000}));
              }); },
         1, "strip 2 lies past the end of the file", 1},
        {"StripCountMismatch",
         [] { return onePage([](RawTiff& t, auto& e) { setEntry(e, t.longs(279, {16})); }); }, 1,
         "StripOffsets lists 2 values but StripByteCounts lists 1", 1},
        {"OffsetsWithoutByteCounts",
         [] {
             return onePage(
                 [](RawTiff&, auto& e) { std::erase_if(e, [](auto& x) { return x.tag == 279; }); });
         },
         1, "StripOffsets comes without StripByteCounts", 1},
        {"OneStripWithoutByteCounts",
         [] {
             return onePage([](RawTiff& t, auto& e) {
                 setEntry(e, t.longs(278, {4}));
                 setEntry(e, t.longs(273, {firstValue(e[5])}));
                 std::erase_if(e, [](auto& x) { return x.tag == 279; });
             });
         },
         1, "page 1: warning: StripByteCounts is missing; strip 1 is taken to hold 32 bytes"},
        // Rows of 10 pixels of 1 bit end in the middle of their second byte.
        {"OneStripOfBitsWithoutByteCounts",
         [] {
             return onePage([](RawTiff& t, auto& e) {
                 for (auto entry : {t.longs(256, {10}), t.longs(257, {4}), t.shorts(258, {1}),
                                    t.longs(278, {4}), t.longs(273, {firstValue(e[5])})})
                     setEntry(e, entry);
                 std::erase_if(e, [](auto& x) { return x.tag == 279; });
             });
         },
         1, "page 1: warning: StripByteCounts is missing; strip 1 is taken to hold 8 bytes"},
        {"FaxStripOfZeroBytes", faxWithoutByteCount, 1,
         "page 1: warning: StripByteCounts of 0 does not fit the image; strip 1 is taken to hold"},
        {"NoImageData",
         [] {
             return onePage([](RawTiff&, auto& e) {
                 std::erase_if(e, [](auto& x) { return x.tag == 273 || x.tag == 279; });
             });
         },
         1, "it holds no image data (neither StripOffsets nor TileOffsets)", 1},
        {"OldStyleJpegWithoutStreamLength", [] { return oldStyleJpeg(jpegStream(), std::nullopt); },
         1,
         "page 1: warning: JPEGInterchangeFormatLength is missing; the JPEG stream is taken to "
         "hold"},
        {"OldStyleJpegStreamLengthPastTheEnd", [] { return oldStyleJpeg(jpegStream(), 1u << 20); },
         1,
         "page 1: warning: JPEGInterchangeFormatLength of 1048576 runs past the end of the file"},
        {"OldStyleJpegStreamOfStuffedBytesAndRestarts",
         [] {
             // A segment, a scan holding a stuffed 0xff and a restart marker, fill, the end.
             return oldStyleJpeg({0xff, 0xd8, 0xff, 0xe0, 0,    4,    0xaa, 0xbb,
                                  0xff, 0xda, 0,    3,    1,    0x11, 0xff, 0,
                                  0x22, 0xff, 0xd3, 0x33, 0xff, 0xff, 0xd9},
                                 0);
         },
         1,
         "page 1: warning: JPEGInterchangeFormatLength is 0; the JPEG stream is taken to hold 23 "
         "bytes, up to its "
         "end-of-image marker"},
        {"OffsetsOfTextType",
         [] {
             return onePage(
                 [](RawTiff&, auto& e) { setEntry(e, RawTiff::ascii(273, "abcdefgh")); });
         },
         1, "StripOffsets has an unexpected type", 1},
        {"TagZeroPastTheEnd",
         [] {
             return onePage([](RawTiff&, auto& e) {
                 e.insert(e.begin(), {0, 7, 64, {0xf0, 0xff, 0xff, 0x0f}});
             });
         },
         1, "page 1: warning: tag 0 is left out: its value lies past the end of the file"},
        {"PrivateTagPastTheEnd",
         [] {
             return onePage([](RawTiff& t, auto& e) {
                 e.push_back(pointingEntry(t, false, 65000, 4, 16, 0x0ffffff0));
             });
         },
         1, "page 1: warning: tag 65000 is left out: its value lies past the end of the file"},
        {"ColorMapPastTheEnd",
         [] {
             return onePage([](RawTiff&, auto& e) {
                 setEntry(e, {262, 3, 1, {3, 0}});
                 e.push_back({320, 3, 768, {0xf0, 0xff, 0xff, 0x0f}});
             });
         },
         1, "the value of tag 320 lies past the end of the file", 1},
        {"ImpossibleCount",
         [] {
             return onePage([](RawTiff&, auto& e) {
                 e.push_back({700, 12, 0xffffffff, {0x10, 0, 0, 0}}); // 32 GiB of doubles
             });
         },
         1, "page 1: warning: tag 700 is left out"},
        {"ExifDirectoryPastTheEnd",
         [] {
             return onePage([](RawTiff& t, auto& e) { e.push_back(t.longs(34665, {1u << 24})); });
         },
         1, "page 1: warning: the EXIF directory is left out: it is damaged or lies past the end"},
        {"ExifPointerOfZero",
         [] { return onePage([](RawTiff& t, auto& e) { e.push_back(t.longs(34665, {0})); }); }, 1,
         ""},
        {"ExifDirectoryIsThePageItself",
         [] {
             RawTiff tiff;
             const std::uint64_t page =
                 addPage(tiff, [&](auto& e) { e.push_back(tiff.longs(34665, {0})); });
             tiff.patch(tiff.fieldOffset(page, 9), page, 4);
             tiff.setFirstDirectory(page);
             return tiff.data();
         },
         1, "page 1: warning: the EXIF directory is left out: it loops back"},
        {"GpsDirectoryOfUnusableEntries",
         [] {
             return onePage([](RawTiff& t, auto& e) {
                 const std::uint64_t gps = t.addDirectory({{1, 99, 2, {'N', 0}}});
                 e.push_back(t.longs(34853, {gps}));
             });
         },
         1, "page 1: warning: the GPS directory is left out: it holds no usable entry"},
        {"SubIfdsNestedTooDeeply", [] { return nestedSubIfds(12); }, 1, "nested too deeply", 1},
        {"TooManyJpegTables",
         [] {
             return onePage([](RawTiff& t, auto& e) {
                 e.push_back(t.longs(519, std::vector<std::uint64_t>(100, 8)));
             });
         },
         1, "JPEGQTables lists too many tables", 1},
    };
    files.insert(files.end(), others.begin(), others.end());
    return files;
}

} // namespace plexifold::test