#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "DataPlacer.h"
#include "TiffError.h"
#include "TiffTypes.h"

namespace plexifold::imaging {

// What becomes of an entry's value in the page file.
enum class EntryRole : std::uint8_t {
    Copy,             // copied byte for byte
    Lengths,          // byte counts of strips, tiles or a JPEG stream; LONG8 narrowed in TIFF
    DataOffsets,      // offsets of strips, tiles, JPEG streams and tables: rewritten
    DirectoryOffsets, // offsets of SubIFDs, EXIF, GPS, Interoperability directories: rewritten
};

struct PlannedEntry {
    TiffEntry source;
    EntryRole role = EntryRole::Copy;
    std::uint16_t outType = 0;
    std::uint32_t firstChild = 0;           // DirectoryOffsets: index of its first directory
    std::uint64_t outValueOffset = 0;       // where an out-of-line value goes; 0 when inline
    std::array<std::uint8_t, 8> outField{}; // DataOffsets kept inline: the rewritten offsets
};

// A directory the page file holds. A pointer of 0 (no directory) is kept as an absent
// directory: no entries, and 0 again in the page file.
struct PlannedDirectory {
    std::uint64_t sourceOffset = 0; // 0: absent
    std::uint64_t outOffset = 0;
    std::string name; // "" for the page itself, else "EXIF directory", "SubIFD 2", ...
    int depth = 0;
    std::vector<PlannedEntry> entries; // sorted by tag, one entry a tag

    /// The index of the entry of `tag`, if the directory has one.
    std::optional<std::uint32_t> find(std::uint16_t tag) const {
        const auto it = std::lower_bound(entries.begin(), entries.end(), tag,
                                         [](const PlannedEntry& entry, std::uint16_t wanted) {
                                             return entry.source.tag < wanted;
                                         });
        if (it == entries.end() || it->source.tag != tag)
            return std::nullopt;
        return static_cast<std::uint32_t>(it - entries.begin());
    }
};

// How the length of each item of a data group is known.
enum class LengthKind : std::uint8_t { Listed, QuantizationTable, HuffmanTable };

// An array of offsets to data copied into the page file: strips, tiles, an old-style JPEG
// stream or its tables.
struct DataGroup {
    std::uint32_t directory = 0;
    std::uint32_t offsets = 0; // index of the offsets entry in its directory
    std::uint32_t lengths = 0; // index of the lengths entry, for LengthKind::Listed
    LengthKind kind = LengthKind::Listed;
    const char* item = ""; // "strip", "tile", ... for messages
};

// The layout of one page file: header, directories, out-of-line values, then data.
struct PagePlan {
    std::string context; // "page 5": the start of every message about the page
    ByteOrder order;
    bool bigTiff = false;
    std::vector<PlannedDirectory> directories; // [0] is the page's own directory
    std::vector<DataGroup> groups;
    std::vector<DataExtent> values;  // out-of-line values copied as stored, overlapping ones joined
    std::vector<DataExtent> extents; // the image data, in source and page order
    std::uint64_t dataStart = 0;
    std::uint64_t end = 0;             // the size of the page file
    std::vector<std::string> warnings; // "page 5: warning: ...": what was left out or mended

    /// Notes what the page file leaves out or mends in `directory`.
    void warn(std::size_t directory, const std::string& text) {
        warnings.push_back(where(directory) + ": warning: " + text);
    }

    /// "page 5", or "page 5 (EXIF directory)" for a directory the page owns.
    std::string where(std::size_t directory) const {
        const std::string& name = directories[directory].name;
        return name.empty() ? context : context + " (" + name + ")";
    }

    /// Where `length` bytes of data found at `source` are in the page file. Throws
    /// TiffError when planning did not see them: the file changed in between.
    std::uint64_t dataOutput(std::uint64_t source, std::uint64_t length) const {
        if (const auto output = outputOf(extents, dataStart, source, length))
            return *output;
        throw TiffError(context + ": the file changed while it was being copied");
    }
};

} // namespace plexifold::imaging
