#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "TerminalProgress.h"

namespace {

// What the progress line writes while a file's first page is in work.
std::string firstLine(const std::string& name) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::tmpfile(), std::fclose);
    plexifold::cli::TerminalProgress progress(out.get(), 2);
    progress.startFile(1, name);
    progress.begin(12);
    progress.page("Processing " + name + " (1 from 12)", 1);
    progress.clear();
    std::string text(256, '\0');
    std::rewind(out.get());
    text.resize(std::fread(text.data(), 1, text.size(), out.get()));
    return text;
}

// Names that look like patterns of any formatting are shown as they are.
TEST(TerminalProgress, ShowsTheNameAsItIs) {
    for (const std::string name :
         {"doc.tif", "a%2Fb.tif", "%1 %2 %3.tif", "%s%n%%.tif", "日本.tif"}) {
        const std::string line = firstLine(name);
        EXPECT_TRUE(line.starts_with("\r\033[K[2/2] " + name + ": page 1/12, ")) << line;
        EXPECT_TRUE(line.ends_with(" MB/s\r\033[K")) << line;
    }
}

} // namespace
