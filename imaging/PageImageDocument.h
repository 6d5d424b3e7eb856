#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TiffError.h"

namespace plexifold::imaging {

class TiffSource;

// A TIFF file seen as a list of pages. Pages are copied into files of their own
// structure for structure: image data, tags and private blobs move as raw bytes
// and are never decoded.
class PageImageDocument {
public:
    PageImageDocument();
    ~PageImageDocument();
    PageImageDocument(const PageImageDocument&);
    PageImageDocument& operator=(const PageImageDocument&);
    PageImageDocument(PageImageDocument&&) noexcept;
    PageImageDocument& operator=(PageImageDocument&&) noexcept;

    /// Opens `path` and reads its chain of pages. False for a file that cannot be
    /// read, is not a TIFF file or has no page; errorText() then says why.
    bool LoadFile(const std::filesystem::path& path);

    /// The number of pages held: those of the loaded file, 1 for a page, 0 before a load.
    std::int32_t PageCount() const;

    /// A document that holds page `index` (from 0) alone. Throws TiffError when
    /// the index is out of range.
    PageImageDocument GetPage(std::int32_t index) const;

    /// Writes the one page held as a single-page TIFF file at `path` and returns
    /// the number of bytes written. The target is replaced only by a complete
    /// file; on failure it is left as it was and TiffError carries the reason.
    /// What the page file leaves out or mends of a damaged page is appended to
    /// `warnings`, each a whole text: "page 1: warning: tag 65000 is left out: ...".
    /// A set `stopRequested` gives the page up between blocks of its data (a page of a
    /// few megabytes is copied whole): StopRequested is thrown and nothing is left.
    std::uint64_t SaveFile(const std::filesystem::path& path,
                           std::vector<std::string>* warnings = nullptr,
                           const std::atomic<bool>* stopRequested = nullptr) const;

    /// Why the last LoadFile failed; "" after a successful one.
    const std::string& errorText() const { return m_error; }

private:
    std::shared_ptr<const TiffSource> m_source;
    std::int32_t m_first = 0;
    std::int32_t m_count = 0;
    std::string m_error;
};

} // namespace plexifold::imaging
