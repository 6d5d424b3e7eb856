#include "OutputFolder.h"

#include <stdexcept>
#include <system_error>

#include "PageNaming.h"

namespace plexifold {
namespace fs = std::filesystem;

ExistingFile ExistingFileAt(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error || status.type() == fs::file_type::not_found)
        return {};
    if (fs::is_symlink(status))
        return {ExistingFile::Link};
    if (!fs::is_regular_file(status))
        return {ExistingFile::Other};
    const std::uintmax_t bytes = fs::file_size(path, error);
    return {ExistingFile::Regular, error ? 0 : static_cast<std::uint64_t>(bytes)};
}

void MakeOutputFolder(const fs::path& root, const fs::path& subfolder) {
    std::error_code error;
    fs::create_directories(root, error);
    if (!fs::is_directory(root, error))
        throw std::runtime_error("cannot make the output folder " + Utf8Of(root) +
                                 (error ? ": " + error.message() : ""));
    fs::path folder = root;
    for (const fs::path& step : subfolder) {
        folder /= step;
        const ExistingFile existing = ExistingFileAt(folder);
        if (existing.kind == ExistingFile::Link)
            throw std::runtime_error(Utf8Of(folder) + " is a symbolic link");
        if (existing.kind == ExistingFile::None) {
            if (!fs::create_directory(folder, error) && error)
                throw std::runtime_error("cannot make the folder " + Utf8Of(folder) + ": " +
                                         error.message());
        } else if (existing.kind != ExistingFile::Other || !fs::is_directory(folder, error)) {
            throw std::runtime_error(Utf8Of(folder) + " is not a folder");
        }
    }
}

} // namespace plexifold
