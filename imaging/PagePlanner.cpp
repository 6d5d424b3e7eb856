#include "PagePlanner.h"

#include <algorithm>
#include <utility>

#include "DataExtents.h"
#include "DataWalker.h"
#include "DirectoryTree.h"
#include "PageChecks.h"
#include "TiffError.h"
#include "TiffReader.h"
#include "TiffSource.h"

namespace plexifold::imaging {
namespace {

struct GroupKind {
    std::uint16_t offsets;
    std::uint16_t lengths; // 0 when the lengths come from the data itself
    LengthKind kind;
    const char* item;
};

constexpr GroupKind groupKinds[] = {
    {TiffTag::StripOffsets, TiffTag::StripByteCounts, LengthKind::Listed, "strip"},
    {TiffTag::TileOffsets, TiffTag::TileByteCounts, LengthKind::Listed, "tile"},
    {TiffTag::JpegInterchange, TiffTag::JpegInterchangeLength, LengthKind::Listed,
     "JPEG interchange stream"},
    {TiffTag::JpegQTables, 0, LengthKind::QuantizationTable, "JPEG quantization table"},
    {TiffTag::JpegDcTables, 0, LengthKind::HuffmanTable, "JPEG DC table"},
    {TiffTag::JpegAcTables, 0, LengthKind::HuffmanTable, "JPEG AC table"},
};

// Values and directories are placed on 8-byte boundaries.
constexpr std::uint64_t alignUp(std::uint64_t offset) {
    return (offset + 7) & ~std::uint64_t{7};
}

void checkOffsetType(const PagePlan& plan, std::size_t d, const TiffEntry& entry) {
    if (!isOffsetType(entry.type))
        throw TiffError(plan.where(d) + ": " + tagName(entry.tag) + " has an unexpected type");
}

void addGroup(PagePlan& plan, std::uint32_t d, const GroupKind& kind) {
    PlannedDirectory& directory = plan.directories[d];
    const auto offsets = directory.find(kind.offsets);
    if (!offsets)
        return;
    const TiffEntry& entry = directory.entries[*offsets].source;
    checkOffsetType(plan, d, entry);
    DataGroup group{d, *offsets, 0, kind.kind, kind.item};
    if (kind.kind == LengthKind::Listed) {
        const auto lengths = directory.find(kind.lengths);
        if (!lengths)
            throw TiffError(plan.where(d) + ": " + tagName(kind.offsets) + " comes without " +
                            tagName(kind.lengths));
        const TiffEntry& lengthEntry = directory.entries[*lengths].source;
        checkOffsetType(plan, d, lengthEntry);
        if (lengthEntry.count != entry.count)
            throw TiffError(plan.where(d) + ": " + tagName(kind.offsets) + " lists " +
                            std::to_string(entry.count) + " values but " + tagName(kind.lengths) +
                            " lists " + std::to_string(lengthEntry.count));
        directory.entries[*lengths].role = EntryRole::Lengths;
        group.lengths = *lengths;
    } else if (entry.count > TiffLimits::MaxJpegTables) {
        throw TiffError(plan.where(d) + ": " + tagName(kind.offsets) + " lists too many tables");
    }
    directory.entries[*offsets].role = EntryRole::DataOffsets;
    plan.groups.push_back(group);
}

bool needsBigTiff(const PagePlan& plan) {
    for (const PlannedDirectory& directory : plan.directories)
        for (const PlannedEntry& entry : directory.entries)
            if (entry.source.count > UINT32_MAX ||
                (entry.role == EntryRole::Copy && isEightByteType(entry.source.type)))
                return true;
    return false;
}

std::uint16_t outTypeOf(const PlannedEntry& entry, bool bigTiff) {
    const std::uint16_t type = entry.source.type;
    switch (entry.role) {
    case EntryRole::Copy:
        return type;
    case EntryRole::Lengths:
        return !bigTiff && isEightByteType(type) ? TiffType::Long : type;
    case EntryRole::DataOffsets:
        return bigTiff ? TiffType::Long8 : TiffType::Long;
    case EntryRole::DirectoryOffsets:
        if (type == TiffType::Ifd || type == TiffType::Ifd8)
            return bigTiff ? TiffType::Ifd8 : TiffType::Ifd;
        return bigTiff ? TiffType::Long8 : TiffType::Long;
    }
    return type;
}

// A value the page file takes from the source as it is stored there.
bool copiedAsStored(const TiffSource& source, const PlannedEntry& entry) {
    return (entry.role == EntryRole::Copy || entry.role == EntryRole::Lengths) &&
           entry.outType == entry.source.type && !source.isInline(entry.source);
}

constexpr std::uint32_t NotStored = UINT32_MAX;

// Values copied as stored that overlap in the source are stored once, as their union.
// Fills `unions` (in source order, not yet placed) and returns, for each entry of the
// page in order, the index of its union, or NotStored.
std::vector<std::uint32_t> findValueUnions(const TiffSource& source, const PagePlan& plan,
                                           std::uint64_t inlineSize,
                                           std::vector<DataExtent>& unions) {
    struct Value {
        std::uint64_t start;
        std::uint64_t end;
        std::uint32_t entry;
    };
    std::vector<Value> values;
    std::uint32_t index = 0;
    for (const PlannedDirectory& directory : plan.directories)
        for (const PlannedEntry& entry : directory.entries) {
            const std::uint64_t size = entry.source.count * typeSize(entry.outType);
            if (size > inlineSize && copiedAsStored(source, entry)) {
                const std::uint64_t start = source.valueOffset(entry.source);
                values.push_back({start, start + size, index});
            }
            ++index;
        }
    std::sort(values.begin(), values.end(),
              [](const Value& a, const Value& b) { return a.start < b.start; });
    std::vector<std::uint32_t> unionOf(index, NotStored);
    unions.clear();
    for (const Value& value : values) {
        if (unions.empty() || value.start >= unions.back().source + unions.back().length)
            unions.push_back({value.start, 0, 0});
        unions.back().length = std::max(unions.back().length, value.end - unions.back().source);
        unionOf[value.entry] = static_cast<std::uint32_t>(unions.size() - 1);
    }
    return unionOf;
}

// Directories, then out-of-line values in the order of their entries; a union of values
// goes where its first entry's value would.
void layoutMetadata(const TiffSource& source, PagePlan& plan) {
    const DirectoryShape shape = DirectoryShape::of(plan.bigTiff);
    std::uint64_t position = shape.headerSize();
    for (PlannedDirectory& directory : plan.directories) {
        if (directory.sourceOffset == 0)
            continue;
        directory.outOffset = position;
        position = alignUp(position + shape.countSize + directory.entries.size() * shape.entrySize +
                           shape.offsetSize);
    }
    for (PlannedDirectory& directory : plan.directories)
        for (PlannedEntry& entry : directory.entries)
            entry.outType = outTypeOf(entry, plan.bigTiff);
    const std::vector<std::uint32_t> unionOf =
        findValueUnions(source, plan, shape.offsetSize, plan.values);
    std::uint32_t index = 0;
    for (PlannedDirectory& directory : plan.directories)
        for (PlannedEntry& entry : directory.entries) {
            const std::uint32_t stored = unionOf[index++];
            const std::uint64_t size = entry.source.count * typeSize(entry.outType);
            entry.outValueOffset = 0;
            if (size <= shape.offsetSize)
                continue;
            if (stored == NotStored) {
                entry.outValueOffset = position;
                position = alignUp(position + size);
            } else {
                DataExtent& value = plan.values[stored];
                if (value.output == 0) {
                    value.output = position;
                    position = alignUp(position + value.length);
                }
                entry.outValueOffset =
                    value.output + source.valueOffset(entry.source) - value.source;
            }
            if (position > TiffLimits::maxPageFileSize(source.size()))
                throw TiffError(plan.context + ": its tag values overlap too much to be "
                                               "copied; the file looks damaged");
        }
    plan.dataStart = position;
}

// Places the data and keeps the rewritten offsets of arrays short enough to stay inline.
void placeData(const TiffSource& source, PagePlan& plan) {
    DataWalker walker(source, plan);
    DataPlacer placer;
    walker.walk([&placer](const DataGroup&, std::uint64_t, std::span<const DataRange> ranges) {
        for (const DataRange& range : ranges)
            placer.add(range.source, range.length);
    });
    plan.extents = placer.place(plan.dataStart);
    plan.end = plan.extents.empty() ? plan.dataStart
                                    : plan.extents.back().output + plan.extents.back().length;
    for (const DataGroup& group : plan.groups) {
        PlannedEntry& entry = plan.directories[group.directory].entries[group.offsets];
        if (entry.outValueOffset != 0)
            continue;
        const unsigned width = typeSize(entry.outType);
        walker.walkGroup(
            group, [&](const DataGroup&, std::uint64_t first, std::span<const DataRange> ranges) {
                for (std::size_t i = 0; i < ranges.size(); ++i)
                    plan.order.put(entry.outField.data() + (first + i) * width,
                                   plan.dataOutput(ranges[i].source, ranges[i].length), width);
            });
    }
}

} // namespace

PagePlan planPage(const TiffSource& source, std::size_t page) {
    PagePlan plan;
    plan.context = "page " + std::to_string(page + 1);
    plan.order = source.order();
    readDirectoryTree(source, source.pageOffset(page), plan);
    checkPageEntries(source, plan);
    mendDataExtents(source, page, plan);
    for (std::uint32_t d = 0; d < plan.directories.size(); ++d)
        for (const GroupKind& kind : groupKinds)
            addGroup(plan, d, kind);
    plan.bigTiff = needsBigTiff(plan);
    for (;;) {
        layoutMetadata(source, plan);
        placeData(source, plan);
        if (plan.bigTiff || plan.end <= UINT32_MAX)
            return plan;
        plan.bigTiff = true;
    }
}

} // namespace plexifold::imaging
