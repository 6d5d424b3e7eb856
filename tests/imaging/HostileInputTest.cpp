// Damaged and hostile files: LoadFile refuses them with a reason, or the page that
// cannot be copied fails its SaveFile with a reason; nothing crashes, hangs or is left
// half-written.
#include <functional>
#include <gtest/gtest.h>

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

struct HostileCase {
    const char* name;
    std::function<Bytes()> build;
    int pages;           // -1: LoadFile must fail
    const char* reason;  // part of LoadFile's errorText, or of the failing SaveFile's message
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
     1, "page 1: the value of tag 700 lies past the end of the file", 1},
    {"ImpossibleCount",
     [] {
         return onePage([](RawTiff&, auto& e) {
             e.push_back({700, 12, 0xffffffff, {0x10, 0, 0, 0}}); // 32 GiB of doubles
         });
     },
     1, "page 1: the value of tag 700 lies past the end of the file", 1},
    {"ExifDirectoryPastTheEnd",
     [] { return onePage([](RawTiff& t, auto& e) { e.push_back(t.longs(34665, {1u << 24})); }); },
     1, "page 1: the EXIF directory is damaged or lies past the end of the file", 1},
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
     1, "page 1: the EXIF directory loops back to a directory read before", 1},
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
            document.GetPage(i).SaveFile(output);
            TiffInspector page(output);
            EXPECT_TRUE(page.opened());
            EXPECT_EQ(page.directoryCount(), 1);
        }
    }
    for (const std::string& name : folder.names())
        EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInput, testing::ValuesIn(hostileCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace plexifold::test
