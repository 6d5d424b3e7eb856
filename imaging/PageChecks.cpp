#include "PageChecks.h"

#include <limits>
#include <optional>
#include <vector>

#include "TiffError.h"
#include "TiffSource.h"

namespace plexifold::imaging {
namespace {

constexpr std::int64_t kAny = std::numeric_limits<std::int64_t>::max();
constexpr std::uint16_t kMaxSampleFormat = 6; // complex floating point
constexpr std::uint16_t kMaxExtraSample = 2;  // unassociated alpha

// BYTE, SBYTE, SSHORT, SLONG: the integer types beside the offset types.
constexpr std::uint16_t kByte = 1, kSByte = 6, kSShort = 8, kSLong = 9;

bool isSigned(std::uint16_t type) {
    return type == kSByte || type == kSShort || type == kSLong || type == TiffType::SLong8;
}

bool isInteger(std::uint16_t type) {
    return type == kByte || isOffsetType(type) || isSigned(type);
}

// One integer of an integer type, as stored.
std::int64_t integerAt(const std::uint8_t* bytes, std::uint16_t type, ByteOrder order) {
    const unsigned width = typeSize(type);
    const std::uint64_t raw = order.get(bytes, width);
    if (isSigned(type)) {
        const unsigned shift = 64 - 8 * width;
        return static_cast<std::int64_t>(raw << shift) >> shift;
    }
    return raw > static_cast<std::uint64_t>(kAny) ? kAny : static_cast<std::int64_t>(raw);
}

class EntryChecker {
public:
    EntryChecker(const TiffSource& source, const PagePlan& plan)
        : m_source(source), m_plan(plan), m_page(plan.directories.front()) {}

    void check() {
        for (const std::uint16_t tag : {TiffTag::ImageWidth, TiffTag::ImageLength})
            if (!m_page.find(tag))
                fail(tagName(tag) + " is missing");
        if (!m_page.find(TiffTag::StripOffsets) && !m_page.find(TiffTag::TileOffsets) &&
            !m_page.find(TiffTag::JpegInterchange))
            fail("it holds no image data (neither " + tagName(TiffTag::StripOffsets) + " nor " +
                 tagName(TiffTag::TileOffsets) + ")");
        for (const std::uint16_t tag :
             {TiffTag::ImageWidth, TiffTag::ImageLength, TiffTag::RowsPerStrip, TiffTag::TileWidth,
              TiffTag::TileLength})
            single(tag, 1, UINT32_MAX);
        const std::int64_t samples = single(TiffTag::SamplesPerPixel, 1, 0xffff).value_or(1);
        single(TiffTag::PlanarConfig, 1, 2);
        perSample(TiffTag::BitsPerSample, samples, 1, 0xffff);
        perSample(TiffTag::SampleFormat, samples, 1, kMaxSampleFormat);
        checkExtraSamples(samples);
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw TiffError(m_plan.context + ": " + why);
    }

    // The values of `tag`, at most `limit` of them; nothing when the page has no such entry.
    std::optional<std::vector<std::int64_t>> values(std::uint16_t tag, std::uint64_t limit) const {
        const auto index = m_page.find(tag);
        if (!index)
            return std::nullopt;
        const TiffEntry& entry = m_page.entries[*index].source;
        const unsigned width = typeSize(entry.type);
        const auto count = static_cast<std::size_t>(std::min(entry.count, limit));
        if (!isInteger(entry.type))
            fail(tagName(tag) + " has an unexpected type");
        std::vector<std::uint8_t> bytes(count * width);
        if (!m_source.readValue(entry, 0, bytes.data(), bytes.size()))
            fail("the file ended while reading " + tagName(tag));
        std::vector<std::int64_t> result;
        for (std::size_t i = 0; i < count; ++i)
            result.push_back(integerAt(bytes.data() + i * width, entry.type, m_source.order()));
        return result;
    }

    std::uint64_t countOf(std::uint16_t tag) const {
        return m_page.entries[*m_page.find(tag)].source.count;
    }

    void inRange(std::uint16_t tag, std::int64_t value, std::int64_t low, std::int64_t high) const {
        if (value == 0 && low > 0)
            fail(tagName(tag) + " is 0");
        if (value < low || value > high)
            fail(tagName(tag) + " of " + std::to_string(value) + " is out of range");
    }

    // A tag of one value.
    std::optional<std::int64_t> single(std::uint16_t tag, std::int64_t low, std::int64_t high) {
        const auto found = values(tag, 1);
        if (!found)
            return std::nullopt;
        if (countOf(tag) != 1)
            fail(tagName(tag) + " holds " + std::to_string(countOf(tag)) + " values, not one");
        inRange(tag, found->front(), low, high);
        return found->front();
    }

    // A tag of one value, or of one for each sample, all the same.
    void perSample(std::uint16_t tag, std::int64_t samples, std::int64_t low, std::int64_t high) {
        const auto found = values(tag, static_cast<std::uint64_t>(samples));
        if (!found)
            return;
        const std::uint64_t count = countOf(tag);
        if (count == 0 || (count > 1 && count < static_cast<std::uint64_t>(samples)))
            fail(tagName(tag) + " lists " + std::to_string(count) + " values but " +
                 tagName(TiffTag::SamplesPerPixel) + " is " + std::to_string(samples));
        for (const std::int64_t value : *found)
            if (value != found->front())
                fail(tagName(tag) + " differs from sample to sample");
        inRange(tag, found->front(), low, high);
    }

    void checkExtraSamples(std::int64_t samples) {
        const auto found = values(TiffTag::ExtraSamples, static_cast<std::uint64_t>(samples) + 1);
        if (!found)
            return;
        if (countOf(TiffTag::ExtraSamples) > static_cast<std::uint64_t>(samples))
            fail(tagName(TiffTag::ExtraSamples) + " lists " +
                 std::to_string(countOf(TiffTag::ExtraSamples)) + " extra samples but " +
                 tagName(TiffTag::SamplesPerPixel) + " is " + std::to_string(samples));
        for (const std::int64_t value : *found)
            inRange(TiffTag::ExtraSamples, value, 0, kMaxExtraSample);
    }

    const TiffSource& m_source;
    const PagePlan& m_plan;
    const PlannedDirectory& m_page;
};

} // namespace

void checkPageEntries(const TiffSource& source, const PagePlan& plan) {
    EntryChecker(source, plan).check();
}

} // namespace plexifold::imaging
