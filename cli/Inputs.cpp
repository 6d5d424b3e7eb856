#include "Inputs.h"
#include "PathText.h"

#include <iostream>

#include "PageNaming.h"

namespace plexifold::cli {
namespace fs = std::filesystem;

namespace {

std::unique_ptr<FileSource> pathSource(const fs::path& path, bool recursive) {
    std::error_code error;
    if (fs::is_directory(path, error))
        return std::make_unique<FolderSource>(path, recursive);
    if (fs::exists(path, error))
        return std::make_unique<SinglePathSource>(path);
    return std::make_unique<SinglePathSource>(path, "no such file or folder");
}

} // namespace

bool Inputs::open(const Options& options, std::string& error) {
    for (const fs::path& path : options.paths)
        m_chain.add(pathSource(path, options.recursive));
    if (!options.filesFrom.empty()) {
        const char separator = options.nullSeparated ? '\0' : '\n';
        if (options.filesFrom == "-") {
            std::ios::sync_with_stdio(false); // stdin read in blocks; output goes through stdio
            m_chain.add(std::make_unique<ListSource>(std::cin, separator));
        } else {
            m_list.open(options.filesFrom, std::ios::binary);
            if (!m_list) {
                error = "cannot read the list " + files::Utf8Of(options.filesFrom);
                return false;
            }
            m_chain.add(std::make_unique<ListSource>(m_list, separator));
        }
    }
    if (options.shard.count > 1)
        m_shard.emplace(m_chain, options.shard);
    return true;
}

} // namespace plexifold::cli
