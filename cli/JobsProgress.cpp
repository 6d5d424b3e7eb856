#include "JobsProgress.h"

#include <algorithm>
#include <string>

namespace plexifold::cli {
namespace {

constexpr std::chrono::milliseconds kRedraw{100};

} // namespace

class JobsProgress::Worker : public SplitProgress {
public:
    explicit Worker(JobsProgress& owner) : m_owner(owner) {}
    void begin(std::int32_t) override {}
    void page(const std::string&, std::int32_t) override {}
    void saved(std::int32_t, std::uint64_t bytes) override { m_owner.pageDone(bytes); }
    void end() override {}

private:
    JobsProgress& m_owner;
};

JobsProgress::JobsProgress(std::FILE* out) : m_out(out) {}

JobsProgress::~JobsProgress() = default;

SplitProgress& JobsProgress::startFile(std::size_t index) {
    const std::lock_guard lock(m_mutex);
    return *(m_workers[index] = std::make_unique<Worker>(*this));
}

void JobsProgress::finishFile(std::size_t index, const std::function<void()>& show) {
    const std::lock_guard lock(m_mutex);
    m_workers.erase(index);
    ++m_done;
    if (m_drawn) {
        std::fputs("\r\033[K", m_out);
        std::fflush(m_out);
        m_drawn = false;
    }
    show();
}

void JobsProgress::pageDone(std::uint64_t bytes) {
    const std::lock_guard lock(m_mutex);
    ++m_pages;
    m_bytes += bytes;
    if (Clock::now() - m_lastDraw >= kRedraw)
        draw();
}

void JobsProgress::draw() {
    m_lastDraw = Clock::now();
    const std::chrono::duration<double> elapsed = m_lastDraw - m_start;
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", m_bytes / 1e6 / std::max(elapsed.count(), 0.001));
    const std::string line = "\r\033[K[" + std::to_string(m_done) + " done, " +
                             std::to_string(m_workers.size()) + " in work] " +
                             std::to_string(m_pages) + " pages, " + rate + " MB/s";
    std::fputs(line.c_str(), m_out);
    std::fflush(m_out);
    m_drawn = true;
}

} // namespace plexifold::cli
