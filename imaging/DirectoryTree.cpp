#include "DirectoryTree.h"

#include <algorithm>
#include <set>

#include "TiffError.h"
#include "TiffSource.h"

namespace plexifold::imaging {
namespace {

bool dropped(const TiffEntry& entry) {
    return typeSize(entry.type) == 0 || entry.tag == TiffTag::FreeOffsets ||
           entry.tag == TiffTag::FreeByteCounts ||
           (isDirectoryPointerTag(entry.tag) && entry.count == 0);
}

std::string childName(std::uint16_t tag, std::uint64_t index, std::uint64_t count) {
    const std::string number = count > 1 ? " " + std::to_string(index + 1) : "";
    switch (tag) {
    case TiffTag::Exif:
        return "EXIF directory" + number;
    case TiffTag::Gps:
        return "GPS directory" + number;
    case TiffTag::Interoperability:
        return "Interoperability directory" + number;
    default:
        return "SubIFD " + std::to_string(index + 1);
    }
}

class TreeReader {
public:
    TreeReader(const TiffSource& source, const std::string& context)
        : m_source(source), m_context(context) {
        m_plan.context = context;
    }

    std::vector<PlannedDirectory> read(std::uint64_t pageOffset) {
        m_seen.insert(pageOffset);
        m_plan.directories.push_back({pageOffset, 0, "", 0, {}});
        for (std::size_t i = 0; i < m_plan.directories.size(); ++i)
            readNode(i);
        return std::move(m_plan.directories);
    }

private:
    void readNode(std::size_t index) {
        if (m_plan.directories[index].sourceOffset == 0)
            return;
        const auto directory = m_source.directoryAt(m_plan.directories[index].sourceOffset);
        if (!directory)
            throw TiffError(m_context + ": " +
                            (index == 0 ? std::string("its directory")
                                        : "the " + m_plan.directories[index].name) +
                            " is damaged or lies past the end of the file");
        std::vector<TiffEntry> entries = directory->entries;
        m_entryTotal += entries.size();
        if (m_entryTotal > TiffLimits::MaxEntriesPerPage)
            throw TiffError(m_context + ": its directories hold too many entries");
        std::erase_if(entries, dropped);
        std::stable_sort(entries.begin(), entries.end(),
                         [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });
        entries.erase(
            std::unique(entries.begin(), entries.end(),
                        [](const TiffEntry& a, const TiffEntry& b) { return a.tag == b.tag; }),
            entries.end());
        if (entries.empty())
            throw TiffError(m_plan.where(index) + ": the directory holds no usable entry");
        for (const TiffEntry& entry : entries) {
            if (!m_source.valueInFile(entry))
                throw TiffError(m_plan.where(index) + ": the value of " + tagName(entry.tag) +
                                " lies past the end of the file");
            m_plan.directories[index].entries.push_back({.source = entry, .outType = entry.type});
        }
        for (std::size_t j = 0; j < m_plan.directories[index].entries.size(); ++j)
            if (isDirectoryPointerTag(m_plan.directories[index].entries[j].source.tag))
                addChildren(index, j);
    }

    void addChildren(std::size_t parent, std::size_t entryIndex) {
        const TiffEntry entry = m_plan.directories[parent].entries[entryIndex].source;
        const std::string where = m_plan.where(parent);
        if (entry.type != TiffType::Long && entry.type != TiffType::Ifd &&
            entry.type != TiffType::Long8 && entry.type != TiffType::Ifd8)
            throw TiffError(where + ": " + tagName(entry.tag) + " has an unexpected type");
        if (entry.count > TiffLimits::MaxDirectoriesPerPage - m_plan.directories.size())
            throw TiffError(m_context + ": it has too many sub-directories");
        const int depth = m_plan.directories[parent].depth + 1;
        if (depth > TiffLimits::MaxDepth)
            throw TiffError(where + ": its sub-directories are nested too deeply");
        const unsigned width = typeSize(entry.type);
        PlannedEntry& planned = m_plan.directories[parent].entries[entryIndex];
        planned.role = EntryRole::DirectoryOffsets;
        planned.firstChild = static_cast<std::uint32_t>(m_plan.directories.size());
        for (std::uint64_t i = 0; i < entry.count; ++i) {
            std::uint8_t bytes[8];
            if (!m_source.readValue(entry, i * width, bytes, width))
                throw TiffError(where + ": the file ended while reading " + tagName(entry.tag));
            const std::uint64_t offset = m_source.order().get(bytes, width);
            std::string name = childName(entry.tag, i, entry.count);
            if (offset != 0 && !m_seen.insert(offset).second)
                throw TiffError(where + ": the " + name + " loops back to a directory read before");
            m_plan.directories.push_back({offset, 0, std::move(name), depth, {}});
        }
    }

    const TiffSource& m_source;
    const std::string& m_context;
    PagePlan m_plan; // only its directories and where() are used here
    std::set<std::uint64_t> m_seen;
    std::size_t m_entryTotal = 0;
};

} // namespace

std::vector<PlannedDirectory> readDirectoryTree(const TiffSource& source, std::uint64_t pageOffset,
                                                const std::string& context) {
    return TreeReader(source, context).read(pageOffset);
}

} // namespace plexifold::imaging
