// Damaged and hostile files: LoadFile refuses them with a reason, or the page that
// cannot be copied fails its SaveFile with a reason, or a page written leaves out or mends
// what is broken with a warning; nothing crashes, hangs or is left half-written, and every
// page written opens in libtiff and decodes as its source page does.
#include <functional>
#include <gtest/gtest.h>
#include <tiffio.h>

#include "PageImageDocument.h"
#include "RawTiff.h"
#include "TempFolder.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"

namespace plexifold::test {
namespace {

using imaging::PageImageDocument;
using imaging::TiffError;
using Bytes = std::vector<std::uint8_t>;

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

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

Bytes pages(int count, bool bigTiff = false, int loopTo = -1) {
    RawTiff tiff(bigTiff);
    std::vector<std::uint64_t> offsets;
    for (int i = 0; i < count; ++i)
        offsets.push_back(addPage(tiff));
    tiff.setFirstDirectory(offsets[0]);
    for (int i = 0; i + 1 < count; ++i)
        tiff.setNext(offsets[i], offsets[i + 1]);
    if (loopTo >= 0)
        tiff.setNext(offsets.back(), offsets[loopTo]);
    return tiff.data();
}

Bytes onePage(const std::function<void(RawTiff&, std::vector<RawTiff::Entry>&)>& change) {
    RawTiff tiff;
    tiff.setFirstDirectory(addPage(tiff, [&](auto& entries) { change(tiff, entries); }));
    return tiff.data();
}

Bytes headerOnly(std::uint64_t firstDirectory, std::size_t padding = 64) {
    RawTiff tiff;
    tiff.append(Bytes(padding, 0));
    tiff.setFirstDirectory(firstDirectory);
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

struct HostileCase {
    const char* name;
    std::function<Bytes()> build;
    int pages;           // -1: LoadFile must fail
    const char* reason;  // part of LoadFile's errorText, of the failing SaveFile's message, or
                         // of a warning of a page written ("": none)
    int failingPage = 0; // the page (from 1) whose SaveFile must fail; 0: none
};

const HostileCase hostileCases[] = {
    {"NotTiff", [] { return text("Just some text, not an image at all.\n"); }, -1,
     "not a TIFF file"},
    {"Empty", [] { return Bytes{}; }, -1, "the file is empty"},
    {"MagicOnly",
     [] {
         return Bytes{'I', 'I', 42, 0};
     },
     -1, "header is incomplete"},
    {"ByteOrderOnly", [] { return text("MM"); }, -1, "not a TIFF file"},
    {"BigTiffHeaderOfUnknownKind",
     [] { return Bytes{'I', 'I', 43, 0, 4, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0}; }, -1,
     "not a TIFF file"},
    {"ZeroPages", [] { return headerOnly(0); }, -1, "the file has no pages"},
    {"FirstDirectoryPastTheEnd", [] { return headerOnly(1u << 30); }, -1, "no pages"},
    {"FirstDirectoryInsideTheHeader", [] { return headerOnly(4); }, -1, "no pages"},
    {"EmptyDirectory", [] { return headerOnly(8); }, -1, "no pages"},
    {"DirectoryCutShort",
     [] {
         Bytes bytes = headerOnly(8, 20);
         bytes[8] = 40; // 40 entries announced, 20 bytes present
         return bytes;
     },
     -1, "no pages"},
    {"ChainLoopsToItself", [] { return pages(1, false, 0); }, 1, ""},
    {"ChainLoopsFromLastToFirst", [] { return pages(3, false, 0); }, 3, ""},
    {"BigTiffChainLoops", [] { return pages(2, true, 0); }, 2, ""},
    {"NextDirectoryPastTheEnd",
     [] {
         RawTiff tiff;
         const std::uint64_t page = addPage(tiff);
         tiff.setFirstDirectory(page);
         tiff.setNext(page, 0xfffffff0);
         return tiff.data();
     },
     1, ""},
    {"LibtiffFileCutInItsLastDirectory", libtiffFileCutShort, 2, ""},
    {"LibtiffFileCutInItsLastValues", [] { return libtiffFileCutBy(4); }, 3, "page 3: the value of",
     3},
    {"StripPastTheEnd",
     [] { return onePage([](RawTiff& t, auto& e) {
              setEntry(e, t.longs(273, {1u << 20, 8}));
          }); },
     1, "page 1: strip 1 lies past the end of the file", 1},
    {"StripRunsPastTheEnd",
     [] { return onePage([](RawTiff& t, auto& e) {
              setEntry(e, t.longs(279, {16, 5000}));
          }); }, 1,
     "page 1: strip 2 lies past the end of the file", 1},
    {"StripCountMismatch",
     [] { return onePage([](RawTiff& t, auto& e) { setEntry(e, t.longs(279, {16})); }); }, 1,
     "page 1: StripOffsets lists 2 values but StripByteCounts lists 1", 1},
    {"OffsetsWithoutByteCounts",
     [] {
         return onePage(
             [](RawTiff&, auto& e) { std::erase_if(e, [](auto& x) { return x.tag == 279; }); });
     },
     1, "page 1: StripOffsets comes without StripByteCounts", 1},
    {"OneStripWithoutByteCounts",
     [] {
         return onePage([](RawTiff& t, auto& e) {
             setEntry(e, t.longs(278, {4}));
             setEntry(e, t.longs(273, {firstValue(e[5])}));
             std::erase_if(e, [](auto& x) { return x.tag == 279; });
         });
     },
     1, "page 1: warning: StripByteCounts is missing; strip 1 is taken to hold 32 bytes"},
    {"UncompressedStripRunsPastTheEnd",
     [] {
         return onePage([](RawTiff& t, auto& e) {
             setEntry(e, t.longs(278, {4}));
             setEntry(e, t.longs(273, {firstValue(e[5])}));
             setEntry(e, t.longs(279, {1u << 30}));
         });
     },
     1, "page 1: warning: StripByteCounts of 1073741824 does not fit the image"},
    {"FaxStripOfZeroBytes", faxWithoutByteCount, 1,
     "page 1: warning: StripByteCounts of 0 does not fit the image; strip 1 is taken to hold"},
    {"NoImageData",
     [] {
         return onePage([](RawTiff&, auto& e) {
             std::erase_if(e, [](auto& x) { return x.tag == 273 || x.tag == 279; });
         });
     },
     1, "page 1: it holds no image data (neither StripOffsets nor TileOffsets)", 1},
    {"OldStyleJpegWithoutStreamLength", [] { return oldStyleJpeg(jpegStream(), std::nullopt); }, 1,
     "page 1: warning: JPEGInterchangeFormatLength is missing; the JPEG stream is taken to hold"},
    {"OldStyleJpegStreamLengthPastTheEnd", [] { return oldStyleJpeg(jpegStream(), 1u << 20); }, 1,
     "page 1: warning: JPEGInterchangeFormatLength of 1048576 runs past the end of the file"},
    {"OldStyleJpegStreamOfStuffedBytesAndRestarts",
     [] {
         // A segment, a scan holding a stuffed 0xff and a restart marker, fill, the end.
         return oldStyleJpeg({0xff, 0xd8, 0xff, 0xe0, 0,    4,    0xaa, 0xbb, 0xff, 0xda, 0,   3,
                              1,    0x11, 0xff, 0,    0x22, 0xff, 0xd3, 0x33, 0xff, 0xff, 0xd9},
                             0);
     },
     1,
     "JPEGInterchangeFormatLength is 0; the JPEG stream is taken to hold 23 bytes, up to its "
     "end-of-image marker"},
    {"OffsetsOfTextType",
     [] {
         return onePage([](RawTiff&, auto& e) { setEntry(e, RawTiff::ascii(273, "abcdefgh")); });
     },
     1, "page 1: StripOffsets has an unexpected type", 1},
    {"ValuePastTheEnd",
     [] {
         return onePage([](RawTiff&, auto& e) {
             RawTiff::Entry xmp = RawTiff::bytes(700, 1, Bytes(8, 0));
             xmp.count = 100; // the 8 bytes become the value's offset: far out
             xmp.value = Bytes{0xff, 0xff, 0xff, 0x0f};
             e.push_back(xmp);
         });
     },
     1, "page 1: warning: tag 700 is left out: its value lies past the end of the file"},
    {"TagZeroPastTheEnd",
     [] {
         return onePage([](RawTiff&, auto& e) {
             e.insert(e.begin(), {0, 7, 64, {0xf0, 0xff, 0xff, 0x0f}});
         });
     },
     1, "page 1: warning: tag 0 is left out: its value lies past the end of the file"},
    {"ColorMapPastTheEnd",
     [] {
         return onePage([](RawTiff&, auto& e) {
             setEntry(e, {262, 3, 1, {3, 0}});
             e.push_back({320, 3, 768, {0xf0, 0xff, 0xff, 0x0f}});
         });
     },
     1, "page 1: the value of tag 320 lies past the end of the file", 1},
    {"ImpossibleCount",
     [] {
         return onePage([](RawTiff&, auto& e) {
             e.push_back({700, 12, 0xffffffff, {0x10, 0, 0, 0}}); // 32 GiB of doubles
         });
     },
     1, "page 1: warning: tag 700 is left out"},
    {"ExifDirectoryPastTheEnd",
     [] { return onePage([](RawTiff& t, auto& e) { e.push_back(t.longs(34665, {1u << 24})); }); },
     1, "page 1: warning: the EXIF directory is left out: it is damaged or lies past the end"},
    {"ExifPointerOfZero",
     [] { return onePage([](RawTiff& t, auto& e) { e.push_back(t.longs(34665, {0})); }); }, 1, ""},
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
     1, "page 1: JPEGQTables lists too many tables", 1},
    {"SecondPageDamaged",
     [] {
         RawTiff tiff;
         const std::uint64_t first = addPage(tiff);
         const std::uint64_t second = addPage(tiff, [&](auto& e) {
             setEntry(e, tiff.longs(273, {8, 0xffffff00}));
         });
         tiff.setFirstDirectory(first);
         tiff.setNext(first, second);
         return tiff.data();
     },
     2, "page 2: strip 2 lies past the end of the file", 2},
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

class HostileInput : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInput, RefusedWithAReasonOrCopied) {
    const HostileCase& c = GetParam();
    TempFolder folder;
    const std::string input = folder.file("input.tif");
    writeFileBytes(input, c.build());

    PageImageDocument document;
    const bool loaded = document.LoadFile(input);
    if (c.pages < 0) {
        EXPECT_FALSE(loaded);
        EXPECT_NE(document.errorText().find(c.reason), std::string::npos) << document.errorText();
        EXPECT_EQ(document.PageCount(), 0);
        return;
    }
    ASSERT_TRUE(loaded) << document.errorText();
    ASSERT_EQ(document.PageCount(), c.pages);
    TiffInspector source(input);
    std::vector<std::string> warnings;
    for (int i = 0; i < c.pages; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string output = folder.file("page" + std::to_string(i + 1) + ".tif");
        if (i + 1 == c.failingPage) {
            try {
                document.GetPage(i).SaveFile(output);
                ADD_FAILURE() << "SaveFile did not fail";
            } catch (const TiffError& error) {
                EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                    << error.what();
            }
            EXPECT_FALSE(std::filesystem::exists(output));
        } else {
            document.GetPage(i).SaveFile(output, &warnings);
            TiffInspector page(output);
            EXPECT_TRUE(page.opened());
            EXPECT_EQ(page.directoryCount(), 1);
            EXPECT_EQ(page.complaints(), std::vector<std::string>{});
            // What libtiff decodes of the source page, the page file gives.
            const auto pixels = source.opened() ? source.pixels(i) : std::vector<std::uint32_t>{};
            if (!pixels.empty()) {
                EXPECT_EQ(page.pixels(0), pixels);
            }
        }
    }
    if (c.failingPage == 0) {
        const std::string all = testing::PrintToString(warnings);
        EXPECT_EQ(warnings.size(), std::string(c.reason).empty() ? 0u : 1u) << all;
        EXPECT_NE(all.find(c.reason), std::string::npos) << all;
    }
    for (const std::string& name : folder.names())
        EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
}

// Pages that each send the reader through the same megabyte of JPEG stream without an end.
TEST(HostileInputBounds, PagesStopMeasuringWhatTheyShareAfterAFewTimesTheFile) {
    RawTiff tiff;
    Bytes stream = {0xff, 0xd8, 0xff, 0xda, 0, 2};
    stream.resize(1 << 20, 0x42);
    const std::uint64_t at = tiff.append(stream);
    std::vector<std::uint64_t> pages;
    for (int i = 0; i < 80; ++i) {
        auto entries = tiff.greyPage(16, 16, {0xfffff000}, {64});
        setEntry(entries, tiff.shorts(259, {6}));
        entries.push_back(tiff.longs(513, {at}));
        pages.push_back(tiff.addDirectory(entries));
    }
    tiff.setFirstDirectory(pages[0]);
    for (std::size_t i = 0; i + 1 < pages.size(); ++i)
        tiff.setNext(pages[i], pages[i + 1]);
    TempFolder folder;
    writeFileBytes(folder.file("input.tif"), tiff.data());
    PageImageDocument document;
    ASSERT_TRUE(document.LoadFile(folder.file("input.tif"))) << document.errorText();

    int stopped = 0;
    for (int i = 0; i < document.PageCount(); ++i)
        try {
            document.GetPage(i).SaveFile(folder.file("page.tif"));
        } catch (const TiffError& error) {
            stopped += std::string(error.what()).find("over and over") != std::string::npos;
        }
    EXPECT_GT(stopped, 0);
    EXPECT_LT(stopped, 20); // 4 times the file and 64 MiB are walked first
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInput, testing::ValuesIn(hostileCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace plexifold::test
