#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace plexifold::imaging {

class OutputFile;
class TiffSource;

// Copies ranges of the source into the page file as raw bytes. A range that continues
// the previous one in both files joins it, so that adjacent strips go in one copy. Runs
// the output's staging buffer can hold are read into it (for a page of a few hundred KB,
// one read and one write beat a kernel copy); longer ones the kernel copies
// (copy_file_range), and where it refuses, a bounded buffer does. Between blocks of
// StopBlock bytes it looks at the stop flag, so that a page of gigabytes is given up at
// once; a page smaller than that is always copied whole.
class RangeCopier {
public:
    /// The most bytes copied between two looks at the stop flag.
    static constexpr std::uint64_t StopBlock = 8 * 1024 * 1024;

    /// `context` starts the message when the source ends early ("page 5"). A set
    /// `stopRequested` makes copy() and flush() throw StopRequested.
    RangeCopier(const TiffSource& source, OutputFile& output, std::string context,
                const std::atomic<bool>* stopRequested = nullptr);

    /// Copies `length` bytes at `source` to `output`, now or at a later flush().
    void copy(std::uint64_t source, std::uint64_t output, std::uint64_t length);

    /// Copies what is still pending.
    void flush();

private:
    static constexpr std::size_t BufferSize = 1024 * 1024;

    void copyNow(std::uint64_t source, std::uint64_t output, std::uint64_t length);
    std::uint64_t copyThroughBuffer(std::uint64_t source, std::uint64_t output,
                                    std::uint64_t length);
    [[noreturn]] void sourceEnded() const;
    void copied(std::uint64_t bytes);

    const TiffSource& m_source;
    OutputFile& m_output;
    std::string m_context;
    std::uint64_t m_pendingSource = 0;
    std::uint64_t m_pendingOutput = 0;
    std::uint64_t m_pendingLength = 0;
    const std::atomic<bool>* m_stopRequested;
    std::uint64_t m_sinceLook = 0; // bytes copied since the stop flag was last looked at
    bool m_kernelRefuses = false;
    std::vector<std::uint8_t> m_buffer;
};

} // namespace plexifold::imaging
