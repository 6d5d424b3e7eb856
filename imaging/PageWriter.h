#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "PagePlan.h"
#include "RangeCopier.h"

namespace plexifold::imaging {

class OutputFile;
class TiffSource;

// Writes a planned page file: image data and the rewritten offset arrays first (a chunk
// at a time), then the out-of-line values, the directories and the header. The head of
// the file (all but the data) is staged and goes out in one write, with the data when
// the page is small.
class PageWriter {
public:
    PageWriter(const TiffSource& source, const PagePlan& plan, OutputFile& output,
               const std::atomic<bool>* stopRequested = nullptr);

    /// Writes the whole file. Throws TiffError.
    void write();

    /// Plans page `page` (from 0) of `source` and writes it to `target` through a
    /// temporary file that replaces the target only when complete. Returns the size of
    /// the file written and, once it is written, appends the plan's warnings to
    /// `warnings` (when given). Throws TiffError, and StopRequested when `stopRequested`
    /// is set while the data is copied (see RangeCopier).
    static std::uint64_t save(const TiffSource& source, std::size_t page,
                              const std::filesystem::path& target,
                              std::vector<std::string>* warnings = nullptr,
                              const std::atomic<bool>* stopRequested = nullptr);

private:
    void writeData();
    void writeValues();
    void writeValue(const PlannedEntry& entry);
    void writeNarrowed(const PlannedEntry& entry);
    void writeDirectories();
    void writeHeader();
    void fillInline(const PlannedEntry& entry, std::uint8_t* field) const;
    std::vector<std::uint64_t> childOffsets(const PlannedEntry& entry) const;
    void encode(std::span<const std::uint64_t> values, std::uint16_t type,
                std::vector<std::uint8_t>& out) const;

    const TiffSource& m_source;
    const PagePlan& m_plan;
    OutputFile& m_output;
    RangeCopier m_copier;
};

} // namespace plexifold::imaging
