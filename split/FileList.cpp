#include "FileList.h"

#include <algorithm>
#include <ranges>

#include "CaseFold.h"
#include "Folder.h"

namespace plexifold {
namespace fs = std::filesystem;

namespace {

std::vector<std::u32string> foldedPatterns(const std::string& pattern) {
    std::vector<std::u32string> patterns;
    for (const auto part : std::views::split(pattern, ';'))
        if (!part.empty())
            patterns.push_back(FoldedText(std::string_view(part.begin(), part.end())));
    return patterns;
}

// A name with its folded form, the key it is matched and sorted by.
struct Listed {
    std::u32string folded;
    fs::path name;
};

void sortWithoutCase(std::vector<Listed>& listed) {
    std::ranges::sort(listed, [](const Listed& a, const Listed& b) {
        return a.folded != b.folded ? a.folded < b.folded : a.name.native() < b.name.native();
    });
}

void takeSorted(std::vector<Listed>& listed, std::vector<fs::path>& names) {
    sortWithoutCase(listed);
    names.clear();
    for (Listed& entry : listed)
        names.push_back(std::move(entry.name));
}

// The working folder, or "" when it has gone.
fs::path workingFolder() {
    std::error_code error;
    return fs::current_path(error);
}

} // namespace

FileList::FileList() : m_path(workingFolder()) {}

void FileList::setPattern(const std::string& pattern) {
    m_pattern = pattern;
    // A folder gone since it was set holds no names.
    if (!read(m_path, m_names))
        m_names.clear();
}

bool FileList::setPath(const fs::path& folder) {
    if (folder.empty())
        return false;
    const fs::path held = HeldFolderForm(folder);
    std::vector<fs::path> names;
    if (held.empty() || !files::IsFolder(held) || !read(held, names))
        return false;
    m_path = held;
    m_names = std::move(names);
    return true;
}

fs::path FileList::name(int index) const {
    if (index < 0 || index >= count())
        return {};
    return m_names[static_cast<std::size_t>(index)];
}

bool FileList::matches(const fs::path& name) const {
    const std::u32string folded = FoldedName(name);
    return std::ranges::any_of(foldedPatterns(m_pattern),
                               [&](const auto& p) { return WildcardMatch(folded, p); });
}

fs::path FileList::filePath(int index) const {
    return m_path / name(index);
}

bool FileList::read(const fs::path& folder, std::vector<fs::path>& names) const {
    return ListFolder(folder, m_pattern, names);
}

bool FileNameMatches(const fs::path& name, const std::string& pattern) {
    const std::u32string folded = FoldedName(name);
    return std::ranges::any_of(foldedPatterns(pattern),
                               [&](const auto& p) { return WildcardMatch(folded, p); });
}

bool ListFolder(const fs::path& folder, const std::string& pattern, std::vector<fs::path>& files,
                std::vector<fs::path>* subfolders) {
    const auto shown = files::ShownFilesIn(folder, subfolders);
    if (!shown)
        return false;
    const std::vector<std::u32string> patterns = foldedPatterns(pattern);
    std::vector<Listed> listed;
    for (const fs::path& name : *shown) {
        std::u32string folded = FoldedName(name);
        if (std::ranges::any_of(patterns, [&](const auto& p) { return WildcardMatch(folded, p); }))
            listed.push_back({std::move(folded), name});
    }
    takeSorted(listed, files);
    if (subfolders) {
        std::vector<Listed> folders;
        for (fs::path& name : *subfolders)
            folders.push_back({FoldedName(name), std::move(name)});
        takeSorted(folders, *subfolders);
    }
    return true;
}

fs::path HeldFolderForm(const fs::path& folder) {
    std::error_code error;
    fs::path held = fs::absolute(folder, error).lexically_normal();
    if (!held.has_filename() && held != held.root_path())
        held = held.parent_path();
    return held;
}

} // namespace plexifold
