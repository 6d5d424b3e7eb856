#include "RangeCopier.h"

#include <algorithm>
#include <utility>

#include "OutputFile.h"
#include "TiffError.h"
#include "TiffSource.h"

namespace plexifold::imaging {

RangeCopier::RangeCopier(const TiffSource& source, OutputFile& output, std::string context,
                         const std::atomic<bool>* stopRequested)
    : m_source(source), m_output(output), m_context(std::move(context)),
      m_stopRequested(stopRequested) {}

void RangeCopier::copy(std::uint64_t source, std::uint64_t output, std::uint64_t length) {
    if (length == 0)
        return;
    if (m_pendingLength != 0 && source == m_pendingSource + m_pendingLength &&
        output == m_pendingOutput + m_pendingLength) {
        m_pendingLength += length;
        return;
    }
    flush();
    m_pendingSource = source;
    m_pendingOutput = output;
    m_pendingLength = length;
}

void RangeCopier::flush() {
    if (m_pendingLength != 0)
        copyNow(m_pendingSource, m_pendingOutput, std::exchange(m_pendingLength, 0));
}

void RangeCopier::copyNow(std::uint64_t source, std::uint64_t output, std::uint64_t length) {
    while (length > 0) {
        std::uint64_t n = 0;
        if (const std::span<std::uint8_t> staged = m_output.stage(output, length);
            !staged.empty()) {
            if (!m_source.readAt(source, staged.data(), staged.size()))
                sourceEnded();
            n = staged.size();
        } else if (!m_kernelRefuses) {
            const auto copied =
                m_output.copyFrom(m_source.file(), source, output, std::min(length, StopBlock));
            m_kernelRefuses = !copied;
            if (!copied)
                continue;
            n = *copied;
        } else {
            n = copyThroughBuffer(source, output, length);
        }
        if (n == 0)
            sourceEnded();
        source += n;
        output += n;
        length -= n;
        copied(n);
    }
}

void RangeCopier::copied(std::uint64_t bytes) {
    m_sinceLook += bytes;
    if (m_sinceLook < StopBlock)
        return;
    m_sinceLook = 0;
    if (m_stopRequested && m_stopRequested->load(std::memory_order_relaxed))
        throw StopRequested(m_context + ": given up on a stop request");
}

std::uint64_t RangeCopier::copyThroughBuffer(std::uint64_t source, std::uint64_t output,
                                             std::uint64_t length) {
    m_buffer.resize(BufferSize);
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(length, BufferSize));
    if (!m_source.file().readAt(source, m_buffer.data(), n))
        sourceEnded();
    m_output.write(output, m_buffer.data(), n);
    return n;
}

void RangeCopier::sourceEnded() const {
    throw TiffError(m_context + ": the file ended while its data was being copied");
}

} // namespace plexifold::imaging
