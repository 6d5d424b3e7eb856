#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// Telling a file that is a page file of another listed file from a source, so that a run
// over a folder that already holds page files leaves them alone instead of splitting them.
namespace plexifold {

/// A source that a page file's name could come from, and the page number it gives.
struct PageGuess {
    std::filesystem::path source;
    std::int32_t page = 0;
};

// How page files are named, both ways.
class PageNames {
public:
    virtual ~PageNames() = default;

    /// The path of page `page` (from 1) of a `total`-page source.
    virtual std::filesystem::path pagePath(const std::filesystem::path& source, std::int32_t total,
                                           std::int32_t page) const = 0;

    /// The sources whose page files could bear the name of `file`, from the name alone:
    /// pagePath read backwards, without the total (none when the name cannot be a page's).
    virtual std::vector<PageGuess> guess(const std::filesystem::path& file) const = 0;
};

// Today's names beside the source (PageFilePath): "doc_page_03.tif" of "doc.tif".
class DefaultPageNames : public PageNames {
public:
    std::filesystem::path pagePath(const std::filesystem::path& source, std::int32_t total,
                                   std::int32_t page) const override;
    std::vector<PageGuess> guess(const std::filesystem::path& file) const override;
};

// A listed file is a page file of another listed file, its output and not a source, when
// it has one page and its name is one of the names that file's split gives (doc_page_03.tif
// beside a 12-page doc.tif). Costs nothing for a name that cannot be a page's; otherwise a
// look-up of the would-be source and the page counts of both files, each source's counted once.
class PageOutputs {
public:
    /// Whether a path is among the files listed for the run.
    using IsListed = std::function<bool(const std::filesystem::path&)>;
    /// The page count of a file; nothing when it cannot be read as TIFF.
    using CountPages = std::function<std::optional<std::int32_t>(const std::filesystem::path&)>;

    PageOutputs(const PageNames& names, IsListed isListed, CountPages countPages = CountTiffPages);

    /// The listed source `file` is a page file of; nothing when `file` is a source.
    std::optional<std::filesystem::path> sourceOf(const std::filesystem::path& file);

    /// The page count of a TIFF file, read from its chain of pages.
    static std::optional<std::int32_t> CountTiffPages(const std::filesystem::path& path);

private:
    std::optional<std::int32_t> sourcePages(const std::filesystem::path& source);

    const PageNames& m_names;
    IsListed m_isListed;
    CountPages m_countPages;
    std::unordered_map<std::filesystem::path::string_type, std::optional<std::int32_t>> m_counts;
};

} // namespace plexifold
