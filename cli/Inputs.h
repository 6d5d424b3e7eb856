#pragma once

#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "CommandLine.h"
#include "FileSources.h"

namespace plexifold::cli {

// The run's files: the paths given (a folder's files, with -r its tree), then those of
// --files-from, as far as --shard takes them. Nothing is listed before it is needed.
class Inputs {
public:
    /// False, with `error` set, when the list of --files-from cannot be opened.
    bool open(const Options& options, std::string& error);

    FileSource& source() { return m_shard ? static_cast<FileSource&>(*m_shard) : m_chain; }

private:
    ChainSource m_chain;
    std::ifstream m_list;
    std::optional<ShardSource> m_shard;
};

} // namespace plexifold::cli
