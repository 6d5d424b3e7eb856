#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "PageNaming.h"
#include "PathText.h"
#include "SplitProgress.h"

// How the command line prints: a line at a time, flushed, and every message about a
// file as "plexifold-split: FILE: reason" on standard error.
namespace plexifold::cli {

inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

inline void print(std::FILE* out, const std::string& text) {
    std::fputs(text.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

inline std::string shownPath(const std::filesystem::path& file) {
    return files::Utf8Of(std::filesystem::path(file).make_preferred());
}

inline void reportFile(const std::filesystem::path& file, const std::string& reason) {
    print(stderr, "plexifold-split: " + shownPath(file) + ": " + reason);
}

inline std::string counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Silent stand-in for runs that show no progress line.
class NoProgress : public SplitProgress {
public:
    void begin(std::int32_t) override {}
    void page(const std::string&, std::int32_t) override {}
    void end() override {}
};

} // namespace plexifold::cli
