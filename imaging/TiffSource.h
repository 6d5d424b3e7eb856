#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "BlockReader.h"
#include "FileHandle.h"
#include "OutputBudget.h"
#include "TiffReader.h"

namespace plexifold::imaging {

// An open TIFF file and the list of its pages, shared by a document and the page
// documents it hands out. The file is opened once; all reads are positioned, and small
// reads of the structure share a few cached blocks (under a lock: page documents of one
// file may be saved from several threads).
class TiffSource {
public:
    /// Opens `path` and reads its chain of pages. Throws TiffError with a reason a user
    /// can act on when the file cannot be read, is not a TIFF file or has no page.
    static std::shared_ptr<const TiffSource> open(const std::filesystem::path& path);

    const files::FileHandle& file() const { return m_file; }
    std::uint64_t size() const { return m_size; }
    const TiffHeader& header() const { return m_header; }
    ByteOrder order() const { return m_header.order; }
    bool bigTiff() const { return m_header.bigTiff; }

    std::size_t pageCount() const { return m_pages.size(); }
    std::uint64_t pageOffset(std::size_t index) const { return m_pages.at(index); }

    /// The directory at `offset`, or nothing when it cannot be read.
    std::optional<TiffDirectory> directoryAt(std::uint64_t offset) const;

    /// Reads `length` bytes at `offset`, through the block cache when they are few. False
    /// when they lie past the end of the file; throws TiffError on an I/O error.
    bool readAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) const;

    /// Drops the cached blocks, so that a page about to be copied is read as the file is
    /// now and never mixes it with what an earlier page read.
    void readAfresh() const;

    /// Counts `bytes` read to measure data whose length the file leaves out (a JPEG stream
    /// walked to its end). False once the pages of the file together have read more than
    /// TiffLimits::maxPageFileSize(size()) so: only a hostile file makes them measure the
    /// same bytes again and again.
    bool chargeMeasuring(std::uint64_t bytes) const;

    /// The size in bytes of an entry's value; nothing for an unknown type or an
    /// impossible count.
    std::optional<std::uint64_t> valueSize(const TiffEntry& entry) const;

    /// True when the entry's value is held in the entry itself.
    bool isInline(const TiffEntry& entry) const;

    /// Where an out-of-line value starts in the file.
    std::uint64_t valueOffset(const TiffEntry& entry) const;

    /// True when the entry's value lies wholly inside the file (or in the entry itself).
    bool valueInFile(const TiffEntry& entry) const;

    /// Reads `length` bytes of an entry's value from byte `skip` on; false when the file
    /// ended first.
    bool readValue(const TiffEntry& entry, std::uint64_t skip, std::uint8_t* out,
                   std::size_t length) const;

    /// What the page files of this source may still add up to.
    OutputBudget& outputBudget() const { return m_budget; }

private:
    TiffSource(files::FileHandle file, std::uint64_t size);

    files::FileHandle m_file;
    std::uint64_t m_size;
    TiffHeader m_header;
    std::vector<std::uint64_t> m_pages;
    mutable std::atomic<std::uint64_t> m_measured{0};
    mutable std::mutex m_blocksLock;
    mutable BlockReader m_blocks;
    mutable OutputBudget m_budget;
};

} // namespace plexifold::imaging
