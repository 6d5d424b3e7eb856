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
    TreeReader(const TiffSource& source, PagePlan& plan) : m_source(source), m_plan(plan) {}

    void read(std::uint64_t pageOffset) {
        m_seen.insert(pageOffset);
        addDirectory({pageOffset, 0, "", 0, {}}, 0, 0);
        for (std::size_t i = 0; i < m_plan.directories.size(); ++i)
            readNode(i);
        dropLeftOutPointers();
    }

private:
    void addDirectory(PlannedDirectory directory, std::uint16_t pointerTag, std::size_t parent) {
        m_plan.directories.push_back(std::move(directory));
        m_pointerTags.push_back(pointerTag);
        m_parents.push_back(parent);
    }

    bool isMetadata(std::size_t index) const { return isMetadataPointerTag(m_pointerTags[index]); }

    void readNode(std::size_t index) {
        if (m_plan.directories[index].sourceOffset == 0)
            return;
        const auto directory = m_source.directoryAt(m_plan.directories[index].sourceOffset);
        if (!directory)
            return damaged(index, "is damaged or lies past the end of the file");
        std::vector<TiffEntry> entries = directory->entries;
        m_entryTotal += entries.size();
        if (m_entryTotal > TiffLimits::MaxEntriesPerPage)
            throw TiffError(m_plan.context + ": its directories hold too many entries");
        std::erase_if(entries, dropped);
        std::stable_sort(entries.begin(), entries.end(),
                         [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });
        entries.erase(
            std::unique(entries.begin(), entries.end(),
                        [](const TiffEntry& a, const TiffEntry& b) { return a.tag == b.tag; }),
            entries.end());
        std::erase_if(entries, [&](const TiffEntry& entry) { return !usable(index, entry); });
        if (entries.empty())
            return damaged(index, "holds no usable entry");
        for (const TiffEntry& entry : entries)
            m_plan.directories[index].entries.push_back({.source = entry, .outType = entry.type});
        for (std::size_t j = 0; j < m_plan.directories[index].entries.size(); ++j)
            if (isDirectoryPointerTag(m_plan.directories[index].entries[j].source.tag))
                addChildren(index, j);
    }

    // False for an entry left out with a warning: a broken one the image does not need.
    bool usable(std::size_t index, const TiffEntry& entry) {
        if (!m_source.valueInFile(entry)) {
            if (isImageTag(entry.tag) && !isMetadata(index))
                throw TiffError(m_plan.where(index) + ": the value of " + tagName(entry.tag) +
                                " lies past the end of the file");
            m_plan.warn(index, tagName(entry.tag) +
                                   " is left out: its value lies past the end of the file");
            return false;
        }
        if (isMetadataPointerTag(entry.tag) && !isPointerType(entry.type)) {
            m_plan.warn(index, tagName(entry.tag) + " is left out: it has an unexpected type");
            return false;
        }
        return true;
    }

    static bool isPointerType(std::uint16_t type) {
        return type == TiffType::Long || type == TiffType::Ifd || type == TiffType::Long8 ||
               type == TiffType::Ifd8;
    }

    // The image can do without a damaged EXIF, GPS or Interoperability directory; its
    // pointer is left out of the page file. Damage to the page or a SubIFD fails the page.
    void damaged(std::size_t index, const std::string& why) {
        PlannedDirectory& directory = m_plan.directories[index];
        if (!isMetadata(index))
            throw TiffError(m_plan.context + ": " +
                            (index == 0 ? std::string("its directory") : "the " + directory.name) +
                            " " + why);
        m_plan.warn(m_parents[index], "the " + directory.name + " is left out: it " + why);
        directory.sourceOffset = 0;
        directory.entries.clear();
        m_leftOut.insert(index);
    }

    void addChildren(std::size_t parent, std::size_t entryIndex) {
        const TiffEntry entry = m_plan.directories[parent].entries[entryIndex].source;
        const std::string where = m_plan.where(parent);
        if (!isPointerType(entry.type))
            throw TiffError(where + ": " + tagName(entry.tag) + " has an unexpected type");
        if (entry.count > TiffLimits::MaxDirectoriesPerPage - m_plan.directories.size())
            throw TiffError(m_plan.context + ": it has too many sub-directories");
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
            const bool loops = offset != 0 && !m_seen.insert(offset).second;
            addDirectory({offset, 0, childName(entry.tag, i, entry.count), depth, {}}, entry.tag,
                         parent);
            if (loops)
                damaged(m_plan.directories.size() - 1, "loops back to a directory read before");
        }
    }

    // Pointers whose every directory was left out go too, and a directory that held
    // nothing else goes with them, as it would when its page file is read again.
    void dropLeftOutPointers() {
        for (std::size_t before = 0; m_leftOut.size() != before;) {
            before = m_leftOut.size();
            for (std::size_t index = 0; index < m_plan.directories.size(); ++index) {
                PlannedDirectory& directory = m_plan.directories[index];
                const bool emptied =
                    std::erase_if(directory.entries, [&](const PlannedEntry& entry) {
                        return isLeftOutPointer(entry);
                    }) != 0;
                if (emptied && directory.entries.empty())
                    damaged(index, "holds no usable entry");
            }
        }
    }

    bool isLeftOutPointer(const PlannedEntry& entry) const {
        if (entry.role != EntryRole::DirectoryOffsets || !isMetadataPointerTag(entry.source.tag))
            return false;
        for (std::uint64_t i = 0; i < entry.source.count; ++i)
            if (!m_leftOut.contains(entry.firstChild + i))
                return false;
        return true;
    }

    const TiffSource& m_source;
    PagePlan& m_plan;
    // Per directory: the tag pointing at it (0 for the page) and the directory holding it.
    std::vector<std::uint16_t> m_pointerTags;
    std::vector<std::size_t> m_parents;
    std::set<std::uint64_t> m_seen;
    std::set<std::size_t> m_leftOut;
    std::size_t m_entryTotal = 0;
};

} // namespace

void readDirectoryTree(const TiffSource& source, std::uint64_t pageOffset, PagePlan& plan) {
    TreeReader(source, plan).read(pageOffset);
}

} // namespace plexifold::imaging
