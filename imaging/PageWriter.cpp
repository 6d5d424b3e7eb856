#include "PageWriter.h"

#include <algorithm>
#include <cstring>

#include "ArrayReader.h"
#include "AtomicFile.h"
#include "DataWalker.h"
#include "OutputFile.h"
#include "PagePlanner.h"
#include "PathText.h"
#include "TiffError.h"
#include "TiffReader.h"
#include "TiffSource.h"

namespace plexifold::imaging {

PageWriter::PageWriter(const TiffSource& source, const PagePlan& plan, OutputFile& output,
                       const std::atomic<bool>* stopRequested)
    : m_source(source), m_plan(plan), m_output(output),
      m_copier(source, output, plan.context, stopRequested) {}

std::uint64_t PageWriter::save(const TiffSource& source, std::size_t page,
                               const std::filesystem::path& target,
                               std::vector<std::string>* warnings,
                               const std::atomic<bool>* stopRequested) {
    return withTiffErrors([&] {
        source.readAfresh();
        const PagePlan plan = planPage(source, page);
        OutputBudget::Share share = source.outputBudget().take(plan.end, plan.context);
        files::AtomicFile file(target);
        OutputFile output(file.file(), files::Utf8Of(target));
        PageWriter(source, plan, output, stopRequested).write();
        file.commit();
        share.keep();
        if (warnings)
            warnings->insert(warnings->end(), plan.warnings.begin(), plan.warnings.end());
        return plan.end;
    });
}

void PageWriter::write() {
    m_output.stageHead(m_plan.dataStart);
    writeData();
    writeValues();
    m_copier.flush();
    writeDirectories();
    writeHeader();
    m_output.finish(m_plan.end);
}

void PageWriter::writeData() {
    for (const DataExtent& extent : m_plan.extents)
        m_copier.copy(extent.source, extent.output, extent.length);
    std::vector<std::uint64_t> offsets;
    std::vector<std::uint8_t> bytes;
    DataWalker walker(m_source, m_plan);
    for (const DataGroup& group : m_plan.groups) {
        const PlannedEntry& entry = m_plan.directories[group.directory].entries[group.offsets];
        if (entry.outValueOffset == 0)
            continue; // inline: the plan holds the rewritten offsets
        walker.walkGroup(
            group, [&](const DataGroup&, std::uint64_t first, std::span<const DataRange> ranges) {
                offsets.resize(ranges.size());
                for (std::size_t i = 0; i < ranges.size(); ++i)
                    offsets[i] = m_plan.dataOutput(ranges[i].source, ranges[i].length);
                encode(offsets, entry.outType, bytes);
                m_output.write(entry.outValueOffset + first * typeSize(entry.outType), bytes.data(),
                               bytes.size());
            });
    }
}

void PageWriter::writeValues() {
    for (const PlannedDirectory& directory : m_plan.directories)
        for (const PlannedEntry& entry : directory.entries)
            if (entry.outValueOffset != 0 && entry.role != EntryRole::DataOffsets)
                writeValue(entry);
    for (const DataExtent& value : m_plan.values)
        m_copier.copy(value.source, value.output, value.length);
}

void PageWriter::writeValue(const PlannedEntry& entry) {
    if (entry.role == EntryRole::DirectoryOffsets) {
        std::vector<std::uint8_t> bytes;
        encode(childOffsets(entry), entry.outType, bytes);
        m_output.write(entry.outValueOffset, bytes.data(), bytes.size());
    } else if (entry.outType != entry.source.type) {
        writeNarrowed(entry);
    } else if (m_source.isInline(entry.source)) {
        m_output.write(entry.outValueOffset, entry.source.field.data(),
                       static_cast<std::size_t>(entry.source.count * typeSize(entry.outType)));
    } // else copied as stored, with the plan's values
}

// Byte counts stored as LONG8 going into a TIFF file, a chunk at a time.
void PageWriter::writeNarrowed(const PlannedEntry& entry) {
    ArrayReader reader(m_source, entry.source, m_plan.context);
    std::vector<std::uint64_t> values(
        static_cast<std::size_t>(std::min<std::uint64_t>(ArrayReader::ChunkSize, reader.size())));
    std::vector<std::uint8_t> bytes;
    std::uint64_t position = entry.outValueOffset;
    while (const std::size_t n = reader.read(values.data(), values.size())) {
        encode(std::span<const std::uint64_t>(values.data(), n), entry.outType, bytes);
        m_output.write(position, bytes.data(), bytes.size());
        position += bytes.size();
    }
}

void PageWriter::writeDirectories() {
    const DirectoryShape shape = DirectoryShape::of(m_plan.bigTiff);
    const ByteOrder order = m_plan.order;
    for (const PlannedDirectory& directory : m_plan.directories) {
        if (directory.sourceOffset == 0)
            continue;
        std::vector<std::uint8_t> bytes(
            shape.countSize + directory.entries.size() * shape.entrySize + shape.offsetSize);
        order.put(bytes.data(), directory.entries.size(), shape.countSize);
        std::uint8_t* at = bytes.data() + shape.countSize;
        for (const PlannedEntry& entry : directory.entries) {
            order.put(at, entry.source.tag, 2);
            order.put(at + 2, entry.outType, 2);
            order.put(at + 4, entry.source.count, shape.offsetSize);
            std::uint8_t* field = at + 4 + shape.offsetSize;
            if (entry.outValueOffset != 0)
                order.put(field, entry.outValueOffset, shape.offsetSize);
            else
                fillInline(entry, field);
            at += shape.entrySize;
        }
        // The next-directory link stays 0: a page file has one page, and the
        // directories it owns are reached through their pointer tags.
        m_output.write(directory.outOffset, bytes.data(), bytes.size());
    }
}

void PageWriter::writeHeader() {
    std::uint8_t header[16] = {};
    header[0] = header[1] = m_plan.order.bigEndian() ? 'M' : 'I';
    m_plan.order.put(header + 2, m_plan.bigTiff ? 43 : 42, 2);
    const std::uint64_t first = m_plan.directories.front().outOffset;
    if (m_plan.bigTiff) {
        m_plan.order.put(header + 4, 8, 2);
        m_plan.order.put(header + 8, first, 8);
    } else {
        m_plan.order.put(header + 4, first, 4);
    }
    m_output.write(0, header, m_plan.bigTiff ? 16 : 8);
}

void PageWriter::fillInline(const PlannedEntry& entry, std::uint8_t* field) const {
    const auto size = static_cast<std::size_t>(entry.source.count * typeSize(entry.outType));
    std::vector<std::uint8_t> bytes;
    if (entry.role == EntryRole::DataOffsets) {
        std::memcpy(field, entry.outField.data(), size);
    } else if (entry.role == EntryRole::DirectoryOffsets) {
        encode(childOffsets(entry), entry.outType, bytes);
        std::memcpy(field, bytes.data(), bytes.size());
    } else if (entry.outType != entry.source.type) {
        std::vector<std::uint64_t> values(entry.source.count);
        ArrayReader(m_source, entry.source, m_plan.context).read(values.data(), values.size());
        encode(values, entry.outType, bytes);
        std::memcpy(field, bytes.data(), bytes.size());
    } else if (!m_source.readValue(entry.source, 0, field, size)) {
        throw TiffError(m_plan.context + ": the file ended while reading " +
                        tagName(entry.source.tag));
    }
}

std::vector<std::uint64_t> PageWriter::childOffsets(const PlannedEntry& entry) const {
    std::vector<std::uint64_t> offsets;
    for (std::uint64_t i = 0; i < entry.source.count; ++i)
        offsets.push_back(m_plan.directories[entry.firstChild + i].outOffset);
    return offsets;
}

void PageWriter::encode(std::span<const std::uint64_t> values, std::uint16_t type,
                        std::vector<std::uint8_t>& out) const {
    const unsigned width = typeSize(type);
    out.resize(values.size() * width);
    for (std::size_t i = 0; i < values.size(); ++i)
        m_plan.order.put(out.data() + i * width, values[i], width);
}

} // namespace plexifold::imaging
