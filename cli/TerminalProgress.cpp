#include "TerminalProgress.h"

namespace plexifold::cli {
namespace {

constexpr qint64 kRedrawMs = 100;

} // namespace

TerminalProgress::TerminalProgress(std::FILE* out, qsizetype fileCount)
    : m_out(out), m_fileCount(fileCount) {
    m_clock.start();
}

void TerminalProgress::startFile(qsizetype index, const QString& name) {
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

void TerminalProgress::begin(qint32 pageCount) {
    m_pageCount = pageCount;
}

void TerminalProgress::page(const QString&, qint32 value) {
    const qint64 now = m_clock.elapsed();
    if (m_lastDrawMs >= 0 && now - m_lastDrawMs < kRedrawMs && value != 1)
        return;
    m_lastDrawMs = now;
    draw(value);
}

void TerminalProgress::saved(qint32, quint64 bytes) {
    m_bytes += bytes;
}

void TerminalProgress::draw(qint32 page) {
    const double seconds = std::max<qint64>(m_clock.elapsed(), 1) / 1000.0;
    const QString line = QStringLiteral("\r\033[K[%1/%2] %3: page %4/%5, %6 MB/s")
                             .arg(m_fileIndex + 1)
                             .arg(m_fileCount)
                             .arg(m_name)
                             .arg(page)
                             .arg(m_pageCount)
                             .arg(m_bytes / 1e6 / seconds, 0, 'f', 1);
    std::fputs(line.toLocal8Bit().constData(), m_out);
    std::fflush(m_out);
    m_drawn = true;
}

} // namespace plexifold::cli
