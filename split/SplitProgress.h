#pragma once

#include <QString>

namespace plexifold {

// What the splitter reports while it works through one file. The window shows it
// in its label, caption and progress bar; the command line in a terminal line.
class SplitProgress {
public:
    virtual ~SplitProgress() = default;

    /// A file of `pageCount` pages starts: the bar now spans 1 to pageCount.
    virtual void begin(qint32 pageCount) = 0;

    /// Page `value` (from 1) is in work; `text` reads "Processing doc.tif (3 from 12)".
    virtual void page(const QString& text, qint32 value) = 0;

    /// Page `value` is saved in a file of `bytes` bytes.
    virtual void saved(qint32 value, quint64 bytes) {
        Q_UNUSED(value);
        Q_UNUSED(bytes);
    }

    /// Every page is saved: the bar returns to its minimum.
    virtual void end() = 0;
};

} // namespace plexifold
