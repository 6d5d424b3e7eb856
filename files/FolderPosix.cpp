#include "Folder.h"

namespace plexifold::files {
namespace fs = std::filesystem;
namespace {

bool isHidden(const fs::path& path) {
    return path.filename().native().starts_with('.');
}

} // namespace

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::optional<std::vector<fs::path>> ShownFilesIn(const fs::path& folder,
                                                  std::vector<fs::path>* folders) {
    std::vector<fs::path> names;
    if (folders)
        folders->clear();
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code statusError;
        if (isHidden(it->path()))
            continue;
        if (it->is_regular_file(statusError))
            names.push_back(it->path().filename());
        else if (folders && it->is_directory(statusError) && !it->is_symlink(statusError))
            folders->push_back(it->path().filename());
    }
    if (error)
        return std::nullopt;
    return names;
}

} // namespace plexifold::files
