#include "PageImageDocument.h"

// Placeholder until the page copier lands: loads nothing.
namespace plexifold::imaging {

class TiffSource {};

PageImageDocument::PageImageDocument() = default;
PageImageDocument::~PageImageDocument() = default;
PageImageDocument::PageImageDocument(const PageImageDocument&) = default;
PageImageDocument& PageImageDocument::operator=(const PageImageDocument&) = default;
PageImageDocument::PageImageDocument(PageImageDocument&&) noexcept = default;
PageImageDocument& PageImageDocument::operator=(PageImageDocument&&) noexcept = default;

bool PageImageDocument::LoadFile(const std::filesystem::path&) {
    m_error = "not implemented";
    return false;
}

std::int32_t PageImageDocument::PageCount() const {
    return m_count;
}

PageImageDocument PageImageDocument::GetPage(std::int32_t) const {
    throw TiffError("page index out of range");
}

std::uint64_t PageImageDocument::SaveFile(const std::filesystem::path&) const {
    throw TiffError("not implemented");
}

} // namespace plexifold::imaging
