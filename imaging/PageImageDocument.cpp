#include "PageImageDocument.h"

#include <new>

#include "PageWriter.h"
#include "TiffSource.h"

namespace plexifold::imaging {

PageImageDocument::PageImageDocument() = default;
PageImageDocument::~PageImageDocument() = default;
PageImageDocument::PageImageDocument(const PageImageDocument&) = default;
PageImageDocument& PageImageDocument::operator=(const PageImageDocument&) = default;
PageImageDocument::PageImageDocument(PageImageDocument&&) noexcept = default;
PageImageDocument& PageImageDocument::operator=(PageImageDocument&&) noexcept = default;

bool PageImageDocument::LoadFile(const std::filesystem::path& path) {
    m_source.reset();
    m_first = 0;
    m_count = 0;
    m_error.clear();
    try {
        m_source = TiffSource::open(path);
        m_count = static_cast<std::int32_t>(m_source->pageCount());
        return true;
    } catch (const TiffError& error) {
        m_error = error.what();
    } catch (const std::bad_alloc&) {
        m_error = "not enough memory to read the file";
    }
    return false;
}

std::int32_t PageImageDocument::PageCount() const {
    return m_count;
}

PageImageDocument PageImageDocument::GetPage(std::int32_t index) const {
    if (index < 0 || index >= m_count)
        throw TiffError("page index " + std::to_string(index) + " is out of range");
    PageImageDocument page;
    page.m_source = m_source;
    page.m_first = m_first + index;
    page.m_count = 1;
    return page;
}

std::uint64_t PageImageDocument::SaveFile(const std::filesystem::path& path,
                                          std::vector<std::string>* warnings,
                                          const std::atomic<bool>* stopRequested) const {
    if (m_count != 1)
        throw TiffError(m_count == 0 ? "no file is loaded"
                                     : "a document of several pages is saved page by page");
    return PageWriter::save(*m_source, static_cast<std::size_t>(m_first), path, warnings,
                            stopRequested);
}

} // namespace plexifold::imaging
