#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "OutputBudget.h"
#include "PageImageDocument.h"
#include "PagePlan.h"

namespace plexifold::imaging {

class TiffSource;

// A page file written but not yet under its name: SaveFile in two steps, so that the checks
// of one page can run while the next is written. Destroyed unfinished, it leaves nothing.
class WrittenPage {
public:
    /// Plans page `page` (from 0) of `source` and writes it. Throws TiffError, and
    /// StopRequested when `stopRequested` is set while the data is copied.
    static std::unique_ptr<WrittenPage> write(const TiffSource& source, std::size_t page,
                                              const std::filesystem::path& target,
                                              const std::atomic<bool>* stopRequested,
                                              const SaveChecks& checks);
    WrittenPage(const WrittenPage&) = delete;
    WrittenPage& operator=(const WrittenPage&) = delete;

    /// The size of the page file.
    std::uint64_t size() const { return m_plan.end; }

    /// Does the checks, then puts the file at its target and appends the plan's warnings to
    /// `warnings` (when given). Returns the size. Throws TiffError. May run on another
    /// thread than write() did, one page at a time.
    std::uint64_t finish(std::vector<std::string>* warnings);

private:
    WrittenPage(const TiffSource& source, std::size_t page, const std::filesystem::path& target,
                const std::atomic<bool>* stopRequested, const SaveChecks& checks);

    const TiffSource& m_source;
    PagePlan m_plan;
    OutputBudget::Share m_share;
    files::AtomicFile m_file;
    SaveChecks m_checks;
};

} // namespace plexifold::imaging
