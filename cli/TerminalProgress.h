#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "SplitProgress.h"

namespace plexifold::cli {

// Shows the run on a terminal as one line that is redrawn in place:
// "[3/12] doc.tif: page 5/40, 212.4 MB/s"; "[3] ..." when the number of files is not known (0).
class TerminalProgress : public SplitProgress {
public:
    TerminalProgress(std::FILE* out, std::size_t fileCount);

    /// `name` is UTF-8.
    void startFile(std::size_t index, const std::string& name);
    /// Wipes the line so that other output can follow.
    void clear();

    void begin(std::int32_t pageCount) override;
    void page(const std::string& text, std::int32_t value) override;
    void saved(std::int32_t value, std::uint64_t bytes) override;
    void end() override {}

private:
    using Clock = std::chrono::steady_clock;

    void draw(std::int32_t page);

    std::FILE* m_out;
    std::size_t m_fileCount;
    std::size_t m_fileIndex = 0;
    std::string m_name;
    std::int32_t m_pageCount = 0;
    std::uint64_t m_bytes = 0;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastDraw;
    bool m_everDrawn = false;
    bool m_drawn = false;
};

} // namespace plexifold::cli
