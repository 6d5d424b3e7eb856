#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace plexifold::bench {

// One entry of the benchmark corpus: a multipage file, or a folder of them.
struct CorpusItem {
    std::string name; // "fax.tif", "many"
    int files = 1;    // files in the folder; 1 for a file
    int pagesPerFile = 0;
    std::function<void(const std::filesystem::path&)> write; // makes the item at that path
};

/// Every item of the corpus, each made from fixed seeds.
std::vector<CorpusItem> corpusItems();

} // namespace plexifold::bench
