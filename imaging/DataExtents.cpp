#include "DataExtents.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "TiffError.h"
#include "TiffSource.h"

namespace plexifold::imaging {
namespace {

constexpr std::uint16_t CompressionNone = 1;
constexpr std::uint16_t CompressionOldJpeg = 6;
constexpr std::uint16_t PhotometricYCbCr = 6;

// The first value of an integer entry of `directory`; `fallback` when the tag is absent,
// nothing when its value cannot be read.
std::optional<std::uint64_t> firstValue(const TiffSource& source, const PlannedDirectory& directory,
                                        std::uint16_t tag, std::uint64_t fallback = 0) {
    const auto index = directory.find(tag);
    if (!index)
        return fallback;
    const TiffEntry& entry = directory.entries[*index].source;
    const unsigned width = typeSize(entry.type);
    std::uint8_t bytes[8];
    if (!isOffsetType(entry.type) || entry.count == 0 || !source.readValue(entry, 0, bytes, width))
        return std::nullopt;
    return source.order().get(bytes, width);
}

// Puts an entry of one LONG (LONG8 in BigTIFF when needed), held in the entry itself, in
// place of `tag`. False when the value does not fit the source's entries.
bool setLength(const TiffSource& source, PlannedDirectory& directory, std::uint16_t tag,
               std::uint64_t value) {
    TiffEntry entry{tag, TiffType::Long, 1, {}};
    if (value > UINT32_MAX) {
        if (!source.bigTiff())
            return false;
        entry.type = TiffType::Long8;
    }
    source.order().put(entry.field.data(), value, typeSize(entry.type));
    const PlannedEntry planned{.source = entry, .outType = entry.type};
    if (const auto index = directory.find(tag)) {
        directory.entries[*index] = planned;
        return true;
    }
    const auto at = std::lower_bound(
        directory.entries.begin(), directory.entries.end(), tag,
        [](const PlannedEntry& e, std::uint16_t wanted) { return e.source.tag < wanted; });
    directory.entries.insert(at, planned);
    return true;
}

// Reads a file forward a chunk at a time.
class ForwardReader {
public:
    ForwardReader(const TiffSource& source, std::uint64_t position)
        : m_source(source), m_position(position) {}

    std::uint64_t position() const { return m_position; }

    /// True when the file's measuring budget ran out (see TiffSource::chargeMeasuring).
    bool exhausted() const { return m_exhausted; }

    std::optional<std::uint8_t> next() {
        if (m_position >= m_source.size() || m_exhausted)
            return std::nullopt;
        if (m_position < m_start || m_position - m_start >= m_buffer.size()) {
            m_buffer.resize(static_cast<std::size_t>(
                std::min<std::uint64_t>(64 * 1024, m_source.size() - m_position)));
            m_exhausted = !m_source.chargeMeasuring(m_buffer.size());
            if (m_exhausted || !m_source.readAt(m_position, m_buffer.data(), m_buffer.size()))
                return std::nullopt;
            m_start = m_position;
        }
        return m_buffer[static_cast<std::size_t>(m_position++ - m_start)];
    }

    void skip(std::uint64_t count) {
        m_position = count > m_source.size() - m_position ? m_source.size() : m_position + count;
    }
    void back() { --m_position; }

private:
    const TiffSource& m_source;
    std::uint64_t m_position;
    std::uint64_t m_start = 0;
    std::vector<std::uint8_t> m_buffer;
    bool m_exhausted = false;
};

// Skips entropy-coded data up to the marker that ends it.
bool skipScan(ForwardReader& reader) {
    while (const auto byte = reader.next()) {
        if (*byte != 0xff)
            continue;
        const auto marker = reader.next();
        if (!marker)
            return false;
        if (*marker != 0x00 && (*marker < 0xd0 || *marker > 0xd7)) {
            reader.back();
            reader.back();
            return true;
        }
    }
    return false;
}

enum class StreamEnd { NotJpeg, Found, Missing };

// Walks the markers of the JPEG stream at `offset` to its end-of-image marker and leaves
// the reader after it.
StreamEnd walkJpegStream(ForwardReader& reader) {
    if (reader.next() != 0xff || reader.next() != 0xd8)
        return StreamEnd::NotJpeg;
    for (;;) {
        auto byte = reader.next();
        if (byte != 0xff)
            return StreamEnd::Missing;
        while (byte == 0xff)
            byte = reader.next();
        if (!byte)
            return StreamEnd::Missing;
        if (*byte == 0xd9)
            return StreamEnd::Found;
        if (*byte == 0x01 || (*byte >= 0xd0 && *byte <= 0xd7))
            continue;
        const auto high = reader.next(), low = reader.next();
        if (!high || !low || (*high << 8 | *low) < 2)
            return StreamEnd::Missing;
        reader.skip((*high << 8 | *low) - 2u);
        if (*byte == 0xda && !skipScan(reader))
            return StreamEnd::Missing;
    }
}

class ExtentMender {
public:
    ExtentMender(const TiffSource& source, std::size_t page, PagePlan& plan)
        : m_source(source), m_page(page), m_plan(plan) {}

    void mend() {
        for (std::size_t d = 0; d < m_plan.directories.size(); ++d) {
            if (m_plan.directories[d].sourceOffset == 0)
                continue;
            mendStripLength(d);
            mendJpegLength(d);
        }
    }

private:
    PlannedDirectory& directory(std::size_t d) { return m_plan.directories[d]; }

    std::optional<std::uint64_t> value(std::size_t d, std::uint16_t tag,
                                       std::uint64_t fallback = 0) {
        return firstValue(m_source, directory(d), tag, fallback);
    }

    // As readers do: only a page of one strip is mended; several strips without their
    // counts cannot be told apart.
    void mendStripLength(std::size_t d) {
        const PlannedDirectory& page = directory(d);
        const auto offsets = page.find(TiffTag::StripOffsets);
        const auto counts = page.find(TiffTag::StripByteCounts);
        if (!offsets || page.entries[*offsets].source.count != 1 ||
            page.find(TiffTag::TileOffsets) || (counts && page.entries[*counts].source.count != 1))
            return;
        constexpr std::uint64_t missing = UINT64_MAX;
        const auto offset = value(d, TiffTag::StripOffsets);
        const auto compression = value(d, TiffTag::Compression, CompressionNone);
        const auto count = value(d, TiffTag::StripByteCounts, missing);
        if (!offset || !compression || !count || *offset == 0 || *offset >= m_source.size())
            return;
        const bool uncompressed = *compression == CompressionNone;
        const std::optional<std::uint64_t> estimate =
            uncompressed ? uncompressedSize(d) : compressedEnd(*offset) - *offset;
        if (!estimate || *estimate == 0 || *estimate > m_source.size() - *offset ||
            (*count != missing && !looksBad(*count, *offset, uncompressed, *estimate)) ||
            !setLength(m_source, directory(d), TiffTag::StripByteCounts, *estimate))
            return;
        m_plan.warn(d, "StripByteCounts " +
                           (*count == missing
                                ? std::string("is missing")
                                : "of " + std::to_string(*count) + " does not fit the image") +
                           "; strip 1 is taken to hold " + std::to_string(*estimate) +
                           (uncompressed ? " bytes, as its rows and row size give"
                                         : " bytes, up to the next structure or the end of the "
                                           "file"));
    }

    bool looksBad(std::uint64_t count, std::uint64_t offset, bool uncompressed,
                  std::uint64_t estimate) const {
        if (count == 0)
            return true;
        return uncompressed && (count > m_source.size() - offset || count < estimate);
    }

    // Rows times row size of an uncompressed strip holding the whole image (or one plane).
    std::optional<std::uint64_t> uncompressedSize(std::size_t d) {
        const auto width = value(d, TiffTag::ImageWidth);
        const auto length = value(d, TiffTag::ImageLength);
        const auto bits = value(d, TiffTag::BitsPerSample, 1);
        const auto samples = value(d, TiffTag::SamplesPerPixel, 1);
        const auto planar = value(d, TiffTag::PlanarConfig, 1);
        const auto photometric = value(d, TiffTag::Photometric);
        if (!width || !length || !bits || !samples || !planar || !photometric || *bits > 64 ||
            (*planar == 2 && *samples != 1) || *samples > 0xffff || *width > UINT32_MAX ||
            *length > UINT32_MAX)
            return std::nullopt;
        // Subsampled YCbCr rows are laid out in blocks: left alone.
        if (*photometric == PhotometricYCbCr && *planar == 1 && *samples == 3)
            return std::nullopt;
        const std::uint64_t perPixel = *planar == 2 ? *bits : *bits * *samples;
        const std::uint64_t rowBytes = (*width * perPixel + 7) / 8;
        if (rowBytes != 0 && *length > UINT64_MAX / rowBytes)
            return std::nullopt;
        return rowBytes * *length;
    }

    // Where compressed data at `offset` must end at the latest: at the next directory, value
    // or page of the file after it, or at the end of the file.
    std::uint64_t compressedEnd(std::uint64_t offset) const {
        std::uint64_t end = m_source.size();
        const auto bound = [&](std::uint64_t start) {
            if (start > offset && start < end)
                end = start;
        };
        for (const PlannedDirectory& other : m_plan.directories) {
            bound(other.sourceOffset);
            for (const PlannedEntry& entry : other.entries)
                if (!m_source.isInline(entry.source))
                    bound(m_source.valueOffset(entry.source));
        }
        if (m_page + 1 < m_source.pageCount())
            bound(m_source.pageOffset(m_page + 1));
        return end;
    }

    void mendJpegLength(std::size_t d) {
        const auto compression = value(d, TiffTag::Compression, CompressionNone);
        if (!directory(d).find(TiffTag::JpegInterchange) || compression != CompressionOldJpeg)
            return;
        const auto offset = value(d, TiffTag::JpegInterchange);
        const bool listed = directory(d).find(TiffTag::JpegInterchangeLength).has_value();
        const auto length = value(d, TiffTag::JpegInterchangeLength);
        if (!offset || *offset == 0 || *offset >= m_source.size() ||
            (listed && length && *length != 0 && *length <= m_source.size() - *offset))
            return;
        ForwardReader reader(m_source, *offset);
        const StreamEnd end = walkJpegStream(reader);
        if (reader.exhausted())
            throw TiffError(m_plan.where(d) + ": measuring its JPEG stream would read the file " +
                            "over and over; the file looks damaged");
        if (end == StreamEnd::NotJpeg)
            return;
        const std::uint64_t found =
            (end == StreamEnd::Found ? reader.position() : m_source.size()) - *offset;
        if (!setLength(m_source, directory(d), TiffTag::JpegInterchangeLength, found))
            return;
        m_plan.warn(d, tagName(TiffTag::JpegInterchangeLength) +
                           (!listed                  ? std::string(" is missing")
                            : length && *length != 0 ? " of " + std::to_string(*length) +
                                                           " runs past the end of the file"
                                                     : std::string(" is 0")) +
                           "; the JPEG stream is taken to hold " + std::to_string(found) +
                           (end == StreamEnd::Found ? " bytes, up to its end-of-image marker"
                                                    : " bytes, up to the end of the file"));
    }

    const TiffSource& m_source;
    std::size_t m_page;
    PagePlan& m_plan;
};

} // namespace

void mendDataExtents(const TiffSource& source, std::size_t page, PagePlan& plan) {
    ExtentMender(source, page, plan).mend();
}

} // namespace plexifold::imaging
