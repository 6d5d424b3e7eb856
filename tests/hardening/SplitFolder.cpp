#include "SplitFolder.h"

#include <algorithm>
#include <filesystem>

namespace plexifold::test {

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

std::string pageFileName(const std::string& base, const std::string& extension, int total,
                         int page) {
    const std::string number = std::to_string(page);
    const std::size_t digits = std::to_string(total).size();
    return base + "_page_" + std::string(digits - number.size(), '0') + number + "." + extension;
}

} // namespace plexifold::test
