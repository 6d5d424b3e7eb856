#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace plexifold {

/// The files a folder offers for splitting.
inline constexpr const char* kTiffPattern = "*.tif;*.tiff";

/// `folder` absolute and without "." and ".." steps, with a separator at the end only for a
/// root: the form in which a listing holds its folder.
std::filesystem::path HeldFolderForm(const std::filesystem::path& folder);

// The names of one folder's files that match a pattern such as "*.tif;*.tiff":
// its own regular files only, hidden ones left out, each once, sorted without
// regard to case. The disk is read only when the pattern or the folder is set.
class FileList {
public:
    FileList();

    /// Sets the ";"-separated wildcards (UTF-8, case-insensitive) and reads the folder afresh.
    void setPattern(const std::string& pattern);
    const std::string& pattern() const { return m_pattern; }

    /// Reads `folder` and holds it from then on. False when it names no existing
    /// folder or one that cannot be listed: the list then keeps its folder and names.
    bool setPath(const std::filesystem::path& folder);

    /// The folder held, as an absolute path; it ends in a separator only for a root.
    /// Until a folder is set, the process's working directory.
    std::filesystem::path path() const { return m_path; }

    int count() const { return static_cast<int>(m_names.size()); }
    /// Name `index` (from 0), with its extension and without folder; "" out of range.
    std::filesystem::path name(int index) const;
    const std::vector<std::filesystem::path>& names() const { return m_names; }

    /// Whether a file named `name` (without folder) matches the pattern.
    bool matches(const std::filesystem::path& name) const;

    /// The full path of name `index`: the folder, one separator, the name.
    std::filesystem::path filePath(int index) const;

private:
    bool read(const std::filesystem::path& folder, std::vector<std::filesystem::path>& names) const;

    std::string m_pattern = "*";
    std::filesystem::path m_path;
    std::vector<std::filesystem::path> m_names;
};

/// Whether the file name `name` matches `pattern` as FileList matches it.
bool FileNameMatches(const std::filesystem::path& name, const std::string& pattern);

/// Lists `folder` as FileList does: into `files` the names of its regular files that match
/// `pattern`, and into `subfolders` (when given) the names of its folders that are neither
/// hidden nor symbolic links, each sorted without regard to case. False when the folder
/// cannot be read.
bool ListFolder(const std::filesystem::path& folder, const std::string& pattern,
                std::vector<std::filesystem::path>& files,
                std::vector<std::filesystem::path>* subfolders = nullptr);

} // namespace plexifold
