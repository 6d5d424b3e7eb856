#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "SplitProgress.h"

namespace plexifold::cli {

// The progress line of a run that splits several files at once, summed over the workers:
// "[12 done, 2 in work] 340 pages, 212.4 MB/s". Each file in work reports to a progress of
// its own on its worker's thread; the line is redrawn at most ten times a second.
class JobsProgress {
public:
    explicit JobsProgress(std::FILE* out);
    ~JobsProgress();

    /// The progress file `index` reports to, until finishFile.
    SplitProgress& startFile(std::size_t index);
    /// Ends file `index`: the line is wiped and `show` prints what it wants before the
    /// line comes back.
    void finishFile(std::size_t index, const std::function<void()>& show);

private:
    using Clock = std::chrono::steady_clock;
    class Worker;

    void pageDone(std::uint64_t bytes);
    void draw();

    std::FILE* m_out;
    std::mutex m_mutex;
    std::map<std::size_t, std::unique_ptr<Worker>> m_workers;
    std::size_t m_done = 0;
    std::int64_t m_pages = 0;
    std::uint64_t m_bytes = 0;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastDraw;
    bool m_drawn = false;
};

} // namespace plexifold::cli
