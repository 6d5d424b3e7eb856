#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

#include "SplitProgress.h"

namespace plexifold::cli {

// Shows the run on a terminal as one line that is redrawn in place:
// "[3/12] doc.tif: page 5/40, 212.4 MB/s".
class TerminalProgress : public SplitProgress {
public:
    TerminalProgress(std::FILE* out, qsizetype fileCount);

    void startFile(qsizetype index, const QString& name);
    /// Wipes the line so that other output can follow.
    void clear();

    void begin(qint32 pageCount) override;
    void page(const QString& text, qint32 value) override;
    void saved(qint32 value, quint64 bytes) override;
    void end() override {}

private:
    void draw(qint32 page);

    std::FILE* m_out;
    qsizetype m_fileCount;
    qsizetype m_fileIndex = 0;
    QString m_name;
    qint32 m_pageCount = 0;
    quint64 m_bytes = 0;
    qint64 m_lastDrawMs = -1;
    QElapsedTimer m_clock;
    bool m_drawn = false;
};

} // namespace plexifold::cli
