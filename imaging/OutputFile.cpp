#include "OutputFile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "FileHandle.h"
#include "TiffError.h"

namespace plexifold::imaging {
namespace {

std::atomic<std::uint64_t> faultAfter{UINT64_MAX};
std::atomic<int> faultError{0};

} // namespace

OutputFile::OutputFile(const files::FileHandle& file, std::string path)
    : m_file(file), m_path(std::move(path)) {}

void OutputFile::stageHead(std::uint64_t size) {
    if (size <= MaxHeadSize)
        m_head.assign(static_cast<std::size_t>(size), 0);
}

std::span<std::uint8_t> OutputFile::stage(std::uint64_t offset, std::uint64_t length) {
    if (length == 0)
        return {};
    if (offset < m_head.size()) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, m_head.size() - offset));
        m_end = std::max(m_end, offset + n);
        return {m_head.data() + offset, n};
    }
    if (length > StagingSize)
        return {};
    const bool follows = !m_staged.empty() && offset == m_stagedAt + m_staged.size();
    if (!follows || m_staged.size() + length > StagingSize) {
        flushStaged();
        m_staged.reserve(StagingSize); // staged spans stay valid while the buffer fills
        m_stagedAt = offset;
    }
    const std::size_t at = m_staged.size();
    m_staged.resize(at + static_cast<std::size_t>(length));
    m_end = std::max(m_end, offset + length);
    return {m_staged.data() + at, static_cast<std::size_t>(length)};
}

void OutputFile::write(std::uint64_t offset, const void* data, std::size_t length) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (length > 0) {
        std::size_t n = length;
        if (const std::span<std::uint8_t> staged = stage(offset, length); !staged.empty()) {
            n = staged.size();
            std::memcpy(staged.data(), bytes, n);
        } else {
            flushStaged(); // keeps the order of writes to the same bytes
            Part part{bytes, n};
            writeNow(offset, &part, 1);
        }
        bytes += n;
        offset += n;
        length -= n;
    }
}

std::optional<std::uint64_t> OutputFile::copyFrom(const files::FileHandle& source,
                                                  std::uint64_t sourceOffset, std::uint64_t offset,
                                                  std::uint64_t length) {
    if (offset < m_head.size())
        throw std::logic_error("a kernel copy into the staged head of a page file");
    flushStaged();
    const auto copied = m_file.copyFrom(source, sourceOffset, offset, allowance(length));
    if (!copied)
        return std::nullopt;
    if (copied->error != 0)
        fail(copied->error);
    wrote(offset, copied->bytes);
    return copied->bytes;
}

void OutputFile::finish(std::uint64_t size) {
    Part parts[2];
    int count = 0;
    std::uint64_t at = 0;
    if (!m_head.empty())
        parts[count++] = Part(m_head);
    if (!m_staged.empty()) {
        if (count == 1 && m_stagedAt != m_head.size()) {
            writeNow(0, parts, 1);
            count = 0;
        }
        if (count == 0)
            at = m_stagedAt;
        parts[count++] = Part(m_staged);
    }
    if (count > 0)
        writeNow(at, parts, count);
    m_head = {};
    m_staged = {};
    if (m_end < size) {
        allowance(0); // setting the size counts as a write, for the fault hook
        if (const int error = m_file.resize(size))
            fail(error);
        m_end = size;
    }
}

void OutputFile::failWritesForTesting(std::uint64_t afterBytes, int error) {
    faultError = error;
    faultAfter = afterBytes;
}

void OutputFile::stopFailingWritesForTesting() {
    faultAfter = UINT64_MAX;
}

// Writes all of up to two parts, one after the other from `offset`.
void OutputFile::writeNow(std::uint64_t offset, Part* parts, int count) {
    std::uint64_t left = 0;
    for (int i = 0; i < count; ++i)
        left += parts[i].size();
    while (left > 0) {
        while (parts->empty()) {
            ++parts;
            --count;
        }
        Part allowed[2];
        int used = 0;
        for (std::uint64_t room = allowance(left); used < count && room > 0; ++used) {
            allowed[used] = parts[used].first(
                static_cast<std::size_t>(std::min<std::uint64_t>(parts[used].size(), room)));
            room -= allowed[used].size();
        }
        const files::IoResult result =
            m_file.writeAt(offset, {allowed, static_cast<std::size_t>(used)});
        if (result.error != 0)
            fail(result.error);
        wrote(offset, result.bytes);
        offset += result.bytes;
        left -= result.bytes;
        for (auto done = static_cast<std::size_t>(result.bytes); done > 0;) {
            const std::size_t k = std::min(done, parts->size());
            *parts = parts->subspan(k);
            done -= k;
            if (parts->empty() && count > 1) {
                ++parts;
                --count;
            }
        }
    }
}

void OutputFile::flushStaged() {
    if (m_staged.empty())
        return;
    Part part(m_staged);
    writeNow(m_stagedAt, &part, 1);
    m_staged.clear();
}

void OutputFile::wrote(std::uint64_t offset, std::uint64_t length) {
    m_written += length;
    m_end = std::max(m_end, offset + length);
}

std::uint64_t OutputFile::allowance(std::uint64_t wanted) const {
    constexpr std::uint64_t MaxOneCall = std::uint64_t{1} << 30;
    const std::uint64_t limit = faultAfter.load();
    if (limit != UINT64_MAX && m_written >= limit)
        fail(faultError.load());
    std::uint64_t allowed = wanted < MaxOneCall ? wanted : MaxOneCall;
    if (limit != UINT64_MAX && allowed > limit - m_written)
        allowed = limit - m_written;
    return allowed;
}

void OutputFile::fail(int error) const {
    throw TiffError("cannot write " + m_path + ": " + files::FileHandle::errorText(error));
}

} // namespace plexifold::imaging
