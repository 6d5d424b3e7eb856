#pragma once

#include <filesystem>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "Shard.h"
#include "SplitBatch.h"

// The sources a command line builds its run from. Each reads only as far as it has handed out.
namespace plexifold {

/// The TIFF files of a folder as the folder listing matches them ("*.tif;*.tiff", hidden
/// ones left out), in name order; with `recursive`, then each subfolder (not hidden, not a
/// symbolic link) in name order, depth first. A folder that cannot be read is handed out as
/// an entry with its failure, and the walk goes on. base() is the folder itself.
class FolderSource : public FileSource {
public:
    FolderSource(const std::filesystem::path& folder, bool recursive);
    ~FolderSource() override;

    bool next(std::filesystem::path& path) override;
    /// Whether `path` is listed in one of the folders of the walk held now: the folder of
    /// the file in work and those above it.
    bool holds(const std::filesystem::path& path) const override;
    std::filesystem::path base() const override { return m_root; }
    std::string failure() const override { return m_failure; }

private:
    struct Level;

    bool enter(const std::filesystem::path& folder, std::filesystem::path& path);

    std::filesystem::path m_root;
    bool m_recursive;
    bool m_started = false;
    std::vector<Level> m_levels;
    std::string m_failure;
};

/// One path, as given, or with the failure it has before it is tried.
class SinglePathSource : public FileSource {
public:
    explicit SinglePathSource(std::filesystem::path path, std::string failure = {})
        : m_path(std::move(path)), m_failure(std::move(failure)) {}

    bool next(std::filesystem::path& path) override;
    bool holds(const std::filesystem::path& path) const override;
    std::string failure() const override { return m_failure; }

private:
    std::filesystem::path m_path;
    std::string m_failure;
    bool m_given = false;
};

/// The paths of a list, one UTF-8 path per entry, each ending in `separator` ('\n' or '\0');
/// blank entries are left out and so is the '\r' of a line ending "\r\n". Read as it goes,
/// so it holds none of its files: holds() knows only the entry handed out last.
class ListSource : public FileSource {
public:
    ListSource(std::istream& in, char separator) : m_in(in), m_separator(separator) {}

    bool next(std::filesystem::path& path) override;
    bool holds(const std::filesystem::path& path) const override;

private:
    std::istream& m_in;
    char m_separator;
    std::string m_entry;
};

/// The entries of several sources, one source after the other.
class ChainSource : public FileSource {
public:
    void add(std::unique_ptr<FileSource> source) { m_sources.push_back(std::move(source)); }

    bool next(std::filesystem::path& path) override;
    bool holds(const std::filesystem::path& path) const override;
    std::filesystem::path base() const override;
    std::string failure() const override;

private:
    std::vector<std::unique_ptr<FileSource>> m_sources;
    std::size_t m_current = 0;
};

/// The entries of `source` that belong to `shard`.
class ShardSource : public FileSource {
public:
    ShardSource(FileSource& source, Shard shard) : m_source(source), m_shard(shard) {}

    bool next(std::filesystem::path& path) override;
    bool holds(const std::filesystem::path& path) const override { return m_source.holds(path); }
    std::filesystem::path base() const override { return m_source.base(); }
    std::string failure() const override { return m_source.failure(); }

private:
    FileSource& m_source;
    Shard m_shard;
};

} // namespace plexifold
