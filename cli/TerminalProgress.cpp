#include "TerminalProgress.h"

#include <algorithm>

namespace plexifold::cli {
namespace {

constexpr std::chrono::milliseconds kRedraw{100};

} // namespace

TerminalProgress::TerminalProgress(std::FILE* out, std::size_t fileCount)
    : m_out(out), m_fileCount(fileCount) {}

void TerminalProgress::startFile(std::size_t index, const std::string& name) {
    m_fileIndex = index;
    m_name = name;
    m_pageCount = 0;
}

void TerminalProgress::clear() {
    if (!m_drawn)
        return;
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
    m_drawn = false;
}

void TerminalProgress::begin(std::int32_t pageCount) {
    m_pageCount = pageCount;
}

void TerminalProgress::page(const std::string&, std::int32_t value) {
    const Clock::time_point now = Clock::now();
    if (m_everDrawn && now - m_lastDraw < kRedraw && value != 1)
        return;
    m_lastDraw = now;
    m_everDrawn = true;
    draw(value);
}

void TerminalProgress::saved(std::int32_t, std::uint64_t bytes) {
    m_bytes += bytes;
}

void TerminalProgress::draw(std::int32_t page) {
    const std::chrono::duration<double> elapsed = Clock::now() - m_start;
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", m_bytes / 1e6 / std::max(elapsed.count(), 0.001));
    // Built by concatenation: the file name is never read as a pattern.
    const std::string count = m_fileCount ? "/" + std::to_string(m_fileCount) : "";
    const std::string line = "\r\033[K[" + std::to_string(m_fileIndex + 1) + count + "] " + m_name +
                             ": page " + std::to_string(page) + "/" + std::to_string(m_pageCount) +
                             ", " + rate + " MB/s";
    std::fputs(line.c_str(), m_out);
    std::fflush(m_out);
    m_drawn = true;
}

} // namespace plexifold::cli
