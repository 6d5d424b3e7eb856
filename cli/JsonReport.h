#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "SplitBatch.h"

// The JSON Lines records of a run: one per input as it finishes, one summary at the end
// (docs/json.md).
namespace plexifold::cli {

/// What became of one input: "split", "partial", "skipped", "failed" or "output".
std::string StatusOf(const FileResult& result);

/// Counts of the inputs by status, for the summary.
struct StatusCounts {
    std::size_t split = 0;
    std::size_t partial = 0;
    std::size_t skipped = 0;
    std::size_t failed = 0;
    std::size_t output = 0;

    void add(const std::string& status);
};

/// The record of one input, without the line's end.
std::string FileRecord(const std::filesystem::path& path, const FileResult& result,
                       bool check = false);

/// The summary record, without the line's end.
std::string SummaryRecord(const StatusCounts& counts, const BatchTotals& totals, double seconds);

} // namespace plexifold::cli
