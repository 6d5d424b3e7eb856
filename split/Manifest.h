#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace plexifold {

// A checksum manifest in the BagIt form: a line "<sha256>  <path>" for each page file,
// the path relative to the manifest's folder with "/" between folders (absolute when the
// file lies on another drive), '%', CR and LF in names written as %25, %0D and %0A. Lines
// are sorted by path, so that the same files give the same manifest on every system.
class Manifest {
public:
    explicit Manifest(std::filesystem::path file);

    const std::filesystem::path& file() const { return m_file; }

    void add(const std::filesystem::path& pageFile, const std::string& sha256);

    /// The checksum listed for `pageFile`; nothing when it is not listed.
    std::optional<std::string> find(const std::filesystem::path& pageFile) const;

    /// Writes the manifest, which replaces an earlier one only when complete. False, with
    /// the reason, when it cannot be written.
    bool write(std::string& reason) const;

    /// Reads the manifest written earlier in place of what is held. False, with the
    /// reason, when it cannot be read or a line is not of the form.
    bool read(std::string& reason);

    /// The line's path of `pageFile`, as the manifest writes it.
    std::string pathText(const std::filesystem::path& pageFile) const;

private:
    std::filesystem::path m_file;
    std::filesystem::path m_folder;            // absolute
    std::map<std::string, std::string> m_sums; // path text -> checksum
};

} // namespace plexifold
