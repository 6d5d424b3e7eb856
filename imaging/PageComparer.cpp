#include "PageComparer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "ArrayReader.h"
#include "DataWalker.h"
#include "FileHandle.h"
#include "PageImageDocument.h"
#include "PagePlanner.h"
#include "Sha256.h"
#include "TiffError.h"
#include "TiffSource.h"

namespace plexifold::imaging {
namespace {

// Small enough to stay in the cache between reading and comparing.
constexpr std::size_t ChunkSize = 256 * 1024;

// 4096 as "4,096".
std::string grouped(std::uint64_t number) {
    std::string text = std::to_string(number);
    for (auto at = static_cast<std::ptrdiff_t>(text.size()) - 3; at > 0; at -= 3)
        text.insert(static_cast<std::size_t>(at), ",");
    return text;
}

bool isPointerType(std::uint16_t type) {
    return type == TiffType::Long || type == TiffType::Ifd || type == TiffType::Long8 ||
           type == TiffType::Ifd8;
}

// The index of the first byte that differs, or `length` when none does.
std::size_t firstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) {
    if (std::memcmp(a, b, length) == 0)
        return length;
    return static_cast<std::size_t>(std::mismatch(a, a + length, b).first - a);
}

class PageComparer {
public:
    PageComparer(const TiffSource& source, const PagePlan& plan, const TiffSource& written)
        : m_source(source), m_plan(plan), m_written(written), m_entries(plan.directories.size()) {}

    std::string compare() {
        if (m_written.pageCount() != 1)
            return m_plan.context + ": the page file holds " +
                   std::to_string(m_written.pageCount()) + " pages";
        if (m_written.order().bigEndian() != m_plan.order.bigEndian() ||
            m_written.bigTiff() != m_plan.bigTiff)
            return m_plan.context + ": the page file's header differs from what the page needs";
        if (!compareDirectory(0, m_written.pageOffset(0)))
            return m_difference;
        for (const DataGroup& group : m_plan.groups)
            if (!compareGroup(group))
                return m_difference;
        return {};
    }

private:
    bool differ(std::size_t d, const std::string& text) {
        m_difference = m_plan.where(d) + ": " + text;
        return false;
    }

    bool compareDirectory(std::size_t d, std::uint64_t offset) {
        const auto directory = m_written.directoryAt(offset);
        if (!directory)
            return differ(d, "its directory cannot be read from the page file");
        const std::vector<PlannedEntry>& planned = m_plan.directories[d].entries;
        const std::vector<TiffEntry>& entries = directory->entries;
        for (std::size_t i = 0; i < std::max(planned.size(), entries.size()); ++i) {
            const bool missing = i >= entries.size() ||
                                 (i < planned.size() && entries[i].tag > planned[i].source.tag);
            if (missing)
                return differ(d, tagName(planned[i].source.tag) + " is missing");
            if (i >= planned.size() || entries[i].tag != planned[i].source.tag)
                return differ(d, tagName(entries[i].tag) + " is not in the source");
            if (!compareEntry(d, planned[i], entries[i]))
                return false;
        }
        m_entries[d] = entries;
        return true;
    }

    bool compareEntry(std::size_t d, const PlannedEntry& planned, const TiffEntry& entry) {
        const TiffEntry& source = planned.source;
        const std::string name = tagName(source.tag);
        if (entry.count != source.count)
            return differ(d, name + " holds " + std::to_string(entry.count) +
                                 " values where the source holds " + std::to_string(source.count));
        const bool typed = planned.role == EntryRole::Copy               ? entry.type == source.type
                           : planned.role == EntryRole::DirectoryOffsets ? isPointerType(entry.type)
                                                                         : isOffsetType(entry.type);
        if (!typed)
            return differ(d, name + " has type " + std::to_string(entry.type) +
                                 " where the source has " + std::to_string(source.type));
        if (!m_written.valueInFile(entry))
            return differ(d, "the value of " + name + " lies past the end of the page file");
        switch (planned.role) {
        case EntryRole::Copy:
            return compareBytes(d, source, entry);
        case EntryRole::Lengths:
            return compareNumbers(d, source, entry);
        case EntryRole::DataOffsets:
            return true; // with the data, once every directory is read
        case EntryRole::DirectoryOffsets:
            return compareChildren(planned, entry);
        }
        return true;
    }

    bool compareBytes(std::size_t d, const TiffEntry& source, const TiffEntry& entry) {
        const std::uint64_t size = *m_source.valueSize(source);
        for (std::uint64_t done = 0; done < size;) {
            const auto n =
                static_cast<std::size_t>(std::min<std::uint64_t>(ChunkSize, size - done));
            requireSource(m_source.readValue(source, done, buffer(m_ours, n), n));
            m_written.readValue(entry, done, buffer(m_theirs, n), n);
            if (const std::size_t at = firstDifference(m_ours.data(), m_theirs.data(), n); at < n)
                return differ(d, "the value of " + tagName(source.tag) +
                                     " differs from the source at byte " + grouped(done + at));
            done += n;
        }
        return true;
    }

    bool compareNumbers(std::size_t d, const TiffEntry& source, const TiffEntry& entry) {
        ArrayReader ours(m_source, source, m_plan.where(d));
        ArrayReader theirs(m_written, entry, m_plan.where(d));
        std::vector<std::uint64_t> a(std::min<std::uint64_t>(ArrayReader::ChunkSize, source.count));
        std::vector<std::uint64_t> b(a.size());
        for (std::uint64_t first = 0; const std::size_t n = ours.read(a.data(), a.size());
             first += n) {
            theirs.read(b.data(), n);
            const auto at =
                std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), b.begin());
            if (at.first != a.begin() + static_cast<std::ptrdiff_t>(n))
                return differ(d, tagName(source.tag) + " value " +
                                     std::to_string(first + (at.first - a.begin()) + 1) +
                                     " differs from the source");
        }
        return true;
    }

    // Each directory the source points at is compared where the page file points.
    bool compareChildren(const PlannedEntry& planned, const TiffEntry& entry) {
        const unsigned width = typeSize(entry.type);
        for (std::uint64_t i = 0; i < entry.count; ++i) {
            std::uint8_t bytes[8];
            m_written.readValue(entry, i * width, bytes, width);
            const std::uint64_t offset = m_written.order().get(bytes, width);
            const std::size_t child = planned.firstChild + i;
            const bool absent = m_plan.directories[child].sourceOffset == 0;
            if (absent != (offset == 0))
                return differ(child, absent ? "the page file has a directory the source has not"
                                            : "the directory is missing from the page file");
            if (!absent && !compareDirectory(child, offset))
                return false;
        }
        return true;
    }

    bool compareGroup(const DataGroup& group) {
        const TiffEntry& entry = m_entries[group.directory][group.offsets];
        ArrayReader offsets(m_written, entry, m_plan.where(group.directory));
        std::vector<std::uint64_t> chunk;
        bool same = true;
        DataWalker(m_source, m_plan)
            .walkGroup(group, [&](const DataGroup&, std::uint64_t first,
                                  std::span<const DataRange> ranges) {
                chunk.resize(ranges.size());
                offsets.read(chunk.data(), chunk.size());
                for (std::size_t i = 0; same && i < ranges.size(); ++i)
                    same = compareData(group, first + i, ranges[i], chunk[i]);
            });
        return same;
    }

    bool compareData(const DataGroup& group, std::uint64_t index, const DataRange& range,
                     std::uint64_t offset) {
        if (range.length == 0)
            return true; // an empty strip's offset points nowhere in particular
        const std::string item = std::string(group.item) + " " + std::to_string(index + 1);
        if (range.length > m_written.size() || offset > m_written.size() - range.length)
            return differ(group.directory, item + " lies past the end of the page file");
        for (std::uint64_t done = 0; done < range.length;) {
            const auto n =
                static_cast<std::size_t>(std::min<std::uint64_t>(ChunkSize, range.length - done));
            requireSource(m_source.readAt(range.source + done, buffer(m_ours, n), n));
            m_written.readAt(offset + done, buffer(m_theirs, n), n);
            if (const std::size_t at = firstDifference(m_ours.data(), m_theirs.data(), n); at < n)
                return differ(group.directory,
                              item + " differs from the source at byte " + grouped(done + at));
            done += n;
        }
        return true;
    }

    static std::uint8_t* buffer(std::vector<std::uint8_t>& bytes, std::size_t size) {
        if (bytes.size() < size)
            bytes.resize(size);
        return bytes.data();
    }

    // The source was read when the page was planned: it ending now means it changed.
    void requireSource(bool done) const {
        if (!done)
            throw TiffError(m_plan.context + ": the file changed while its page was compared");
    }

    const TiffSource& m_source;
    const PagePlan& m_plan;
    const TiffSource& m_written;
    std::vector<std::vector<TiffEntry>> m_entries; // the page file's, per planned directory
    std::vector<std::uint8_t> m_ours;
    std::vector<std::uint8_t> m_theirs;
    std::string m_difference;
};

} // namespace

std::string comparePageFile(const TiffSource& source, const PagePlan& plan,
                            const TiffSource& written) {
    return PageComparer(source, plan, written).compare();
}

namespace {

// The page file open in `file`, read as TIFF and compared.
std::string compareOpened(const TiffSource& source, const PagePlan& plan, files::FileHandle file) {
    std::shared_ptr<const TiffSource> written;
    try {
        written = TiffSource::open(std::move(file));
    } catch (const TiffError& error) {
        return plan.context + ": the page file does not read back: " + error.what();
    }
    return comparePageFile(source, plan, *written);
}

} // namespace

std::string compareWritten(const TiffSource& source, const PagePlan& plan,
                           const files::FileHandle& file) {
    return compareOpened(source, plan, withTiffErrors([&] { return file.duplicate(); }));
}

PageFileCheck checkPageFile(const TiffSource& source, std::size_t page,
                            const std::filesystem::path& path, bool digest) {
    source.readAfresh();
    const PagePlan plan = planPage(source, page);
    PageFileCheck check;
    files::FileHandle file;
    try {
        file = files::FileHandle::openForReading(path);
    } catch (const files::FileError& error) {
        std::error_code failed;
        const bool missing = !std::filesystem::exists(path, failed) && !failed;
        check.state = missing ? PageFileCheck::Missing : PageFileCheck::Differs;
        check.difference = missing ? "" : plan.context + ": " + error.what();
        return check;
    }
    if (digest)
        check.sha256 = withTiffErrors([&] { return files::Sha256::ofFile(file); });
    check.difference = compareOpened(source, plan, std::move(file));
    check.state = check.difference.empty() ? PageFileCheck::Ok : PageFileCheck::Differs;
    return check;
}

} // namespace plexifold::imaging
