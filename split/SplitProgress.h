#pragma once

#include <cstdint>
#include <string>

namespace plexifold {

// What the splitter reports while it works through one file. The window shows it
// in its label, caption and progress bar; the command line in a terminal line.
class SplitProgress {
public:
    virtual ~SplitProgress() = default;

    /// A file of `pageCount` pages starts: the bar now spans 1 to pageCount.
    virtual void begin(std::int32_t pageCount) = 0;

    /// Page `value` (from 1) is in work; `text` (UTF-8) reads "Processing doc.tif (3 from 12)".
    virtual void page(const std::string& text, std::int32_t value) = 0;

    /// Page `value` is saved in a file of `bytes` bytes.
    virtual void saved(std::int32_t /*value*/, std::uint64_t /*bytes*/) {}

    /// Every page is done: the bar returns to its minimum.
    virtual void end() = 0;
};

} // namespace plexifold
