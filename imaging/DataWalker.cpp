#include "DataWalker.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "ArrayReader.h"
#include "TiffError.h"
#include "TiffSource.h"

namespace plexifold::imaging {
DataWalker::DataWalker(const TiffSource& source, const PagePlan& plan)
    : m_source(source), m_plan(plan) {}

void DataWalker::walk(const Visitor& visit) {
    for (const DataGroup& group : m_plan.groups)
        walkGroup(group, visit);
}

void DataWalker::walkGroup(const DataGroup& group, const Visitor& visit) {
    const PlannedDirectory& directory = m_plan.directories[group.directory];
    const std::string where = m_plan.where(group.directory);
    ArrayReader offsets(m_source, directory.entries[group.offsets].source, where);
    std::optional<ArrayReader> lengths;
    if (group.kind == LengthKind::Listed)
        lengths.emplace(m_source, directory.entries[group.lengths].source, where);
    // Sized to the array, so that a page of one strip does not clear megabytes.
    const auto chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(ArrayReader::ChunkSize, offsets.size()));
    std::vector<std::uint64_t> offsetChunk(chunk);
    std::vector<std::uint64_t> lengthChunk(chunk);
    std::vector<DataRange> ranges(chunk);
    std::uint64_t first = 0;
    while (const std::size_t n = offsets.read(offsetChunk.data(), offsetChunk.size())) {
        if (lengths && lengths->read(lengthChunk.data(), n) != n)
            throw TiffError(where + ": too few byte counts");
        for (std::size_t i = 0; i < n; ++i) {
            if (!lengths)
                lengthChunk[i] = tableLength(group, offsetChunk[i], first + i);
            if (lengthChunk[i] > m_source.size() ||
                offsetChunk[i] > m_source.size() - lengthChunk[i])
                pastEnd(group, first + i);
            ranges[i] = {offsetChunk[i], lengthChunk[i]};
        }
        visit(group, first, std::span<const DataRange>(ranges.data(), n));
        first += n;
    }
}

std::uint64_t DataWalker::tableLength(const DataGroup& group, std::uint64_t offset,
                                      std::uint64_t index) const {
    if (group.kind == LengthKind::QuantizationTable)
        return 64;
    // A Huffman table: 16 counts of codes by length, then one byte a code.
    std::uint8_t counts[16];
    if (m_source.size() < 16 || offset > m_source.size() - 16 ||
        !m_source.readAt(offset, counts, 16))
        pastEnd(group, index);
    std::uint64_t length = 16;
    for (const std::uint8_t count : counts)
        length += count;
    return length;
}

void DataWalker::pastEnd(const DataGroup& group, std::uint64_t index) const {
    throw TiffError(m_plan.where(group.directory) + ": " + group.item + " " +
                    std::to_string(index + 1) + " lies past the end of the file");
}

} // namespace plexifold::imaging
