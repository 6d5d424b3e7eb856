#pragma once

#include <filesystem>

namespace plexifold::fuzz {

// A new empty folder under the temporary directory, removed with all it holds
// when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace plexifold::fuzz
