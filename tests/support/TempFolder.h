#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace plexifold::test {

// A fresh folder for one test, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(
        const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate =
                base / ("plexifold-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                m_path = candidate;
                return;
            }
        }
        throw std::runtime_error("cannot create a temporary folder");
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

    /// The names in the folder, hidden ones included.
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            result.push_back(entry.path().filename().string());
        return result;
    }

private:
    std::filesystem::path m_path;
};

/// A folder path in `base` of more than 300 characters, past the classic limit of 260.
inline std::filesystem::path longFolderIn(const std::filesystem::path& base) {
    std::filesystem::path folder = base;
    for (char letter = 'a'; folder.native().size() <= 300; ++letter)
        folder /= std::string(60, letter);
    return folder;
}

} // namespace plexifold::test
