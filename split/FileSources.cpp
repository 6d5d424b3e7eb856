#include "FileSources.h"
#include "PathText.h"

#include "FileList.h"
#include "PageNaming.h"

namespace plexifold {
namespace fs = std::filesystem;

namespace {

// Whether two paths name one file, also when one is not there.
bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return a == b || fs::equivalent(a, b, error);
}

} // namespace

// One folder of the walk: its files and subfolders, and how far they are handed out.
struct FolderSource::Level {
    fs::path folder;
    std::vector<fs::path> files;
    std::vector<fs::path> subfolders;
    std::size_t nextFile = 0;
    std::size_t nextSubfolder = 0;
};

FolderSource::FolderSource(const fs::path& folder, bool recursive)
    : m_root(HeldFolderForm(folder)), m_recursive(recursive) {}

FolderSource::~FolderSource() = default;

bool FolderSource::next(fs::path& path) {
    m_failure.clear();
    if (!m_started) {
        m_started = true;
        if (enter(m_root, path))
            return true;
    }
    while (!m_levels.empty()) {
        Level& level = m_levels.back();
        if (level.nextFile < level.files.size()) {
            path = level.folder / level.files[level.nextFile++];
            return true;
        }
        if (level.nextSubfolder < level.subfolders.size()) {
            const fs::path folder = level.folder / level.subfolders[level.nextSubfolder++];
            if (enter(folder, path)) // `level` may have moved
                return true;
            continue;
        }
        m_levels.pop_back();
    }
    return false;
}

// Reads `folder` onto the walk; true, with the folder as `path` and its failure, when it
// cannot be read.
bool FolderSource::enter(const fs::path& folder, fs::path& path) {
    Level level{folder, {}, {}, 0, 0};
    if (!ListFolder(folder, kTiffPattern, level.files, m_recursive ? &level.subfolders : nullptr)) {
        path = folder;
        m_failure = "the folder cannot be read";
        return true;
    }
    m_levels.push_back(std::move(level));
    return false;
}

bool FolderSource::holds(const fs::path& path) const {
    for (const Level& level : m_levels)
        if (sameFile(path.parent_path(), level.folder))
            for (const fs::path& name : level.files)
                if (sameFile(path, level.folder / name))
                    return true;
    return false;
}

bool SinglePathSource::holds(const fs::path& path) const {
    return sameFile(path, m_path);
}

bool ListSource::holds(const fs::path& path) const {
    return !m_entry.empty() && sameFile(path, files::PathFromUtf8(m_entry));
}

bool ChainSource::holds(const fs::path& path) const {
    for (const auto& source : m_sources)
        if (source->holds(path))
            return true;
    return false;
}

bool SinglePathSource::next(fs::path& path) {
    if (m_given)
        return false;
    m_given = true;
    path = m_path;
    return true;
}

bool ListSource::next(fs::path& path) {
    while (std::getline(m_in, m_entry, m_separator)) {
        if (m_separator == '\n' && m_entry.ends_with('\r'))
            m_entry.pop_back();
        if (m_entry.empty())
            continue;
        path = files::PathFromUtf8(m_entry);
        return true;
    }
    return false;
}

bool ChainSource::next(fs::path& path) {
    for (; m_current < m_sources.size(); ++m_current)
        if (m_sources[m_current]->next(path))
            return true;
    return false;
}

fs::path ChainSource::base() const {
    return m_current < m_sources.size() ? m_sources[m_current]->base() : fs::path();
}

std::string ChainSource::failure() const {
    return m_current < m_sources.size() ? m_sources[m_current]->failure() : std::string();
}

bool ShardSource::next(fs::path& path) {
    while (m_source.next(path))
        if (m_shard.holds(path))
            return true;
    return false;
}

} // namespace plexifold
