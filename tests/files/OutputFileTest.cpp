// The output file's staging: whatever the mix of staged writes, writes that go to the file
// at once and system copies, the file ends up holding the last bytes written to each
// offset, zeros elsewhere, and the size asked for.
#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

#include "AtomicFile.h"
#include "FileHandle.h"
#include "HandMadePages.h"
#include "OutputFile.h"

namespace plexifold::test {
namespace {

using files::AtomicFile;
using files::FileHandle;
using imaging::OutputFile;

constexpr std::size_t StagingBytes = OutputFile::StagingSize;

struct Step {
    bool copy; // a kernel copy from the source file, else a write
    std::uint64_t offset;
    std::size_t length;
    std::uint8_t seed; // write: the bytes' pattern; copy: where in the source, in KiB
};

struct StagingCase {
    const char* name;
    std::uint64_t head; // the head size staged
    std::vector<Step> steps;
    std::uint64_t size;
};

const StagingCase stagingCases[] = {
    {"HeaderDirectoryAndDataBehindThem",
     300,
     {{false, 300, 40000, 1}, {false, 8, 200, 2}, {false, 0, 8, 3}},
     40300},
    {"DataAwayFromTheHead", 300, {{false, 5000, 1000, 1}, {false, 0, 300, 2}}, 6000},
    {"WriteAcrossTheHeadEnd", 300, {{false, 250, 1000, 1}, {false, 0, 250, 2}}, 1250},
    {"StagingBufferFillsUp",
     0,
     {{false, 1000, 300000, 1},
      {false, 301000, 300000, 2},
      {false, 601000, 300000, 3},
      {false, 901000, 300000, 4},
      {false, 0, 1000, 5}},
     1201000},
    {"LongWriteOverStagedBytes",
     0,
     {{false, 1000, 500, 1}, {false, 1200, StagingBytes + 10, 2}},
     1200 + StagingBytes + 10},
    {"StagedWriteOverWrittenBytes",
     0,
     {{false, 1000, StagingBytes + 10, 1}, {false, 1200, 500, 2}},
     1000 + StagingBytes + 10},
    {"KernelCopiesBetweenStagedBytes",
     100,
     {{false, 100, 5000, 1},
      {true, 5100, StagingBytes + 4096, 3},
      {false, 5100 + StagingBytes + 4096, 700, 2},
      {false, 0, 100, 4}},
     5800 + StagingBytes + 4096},
    {"KernelCopyOverStagedBytes",
     0,
     {{false, 0, 9000, 1}, {true, 4096, StagingBytes, 0}},
     4096 + StagingBytes},
    {"SizeBeyondTheLastWrite", 16, {{false, 0, 10, 1}}, 5000},
    {"HeadTooLargeToStage",
     OutputFile::MaxHeadSize + 1,
     {{false, 0, 16, 1}, {false, 5000, 300, 2}, {false, OutputFile::MaxHeadSize + 1, 10, 3}},
     OutputFile::MaxHeadSize + 11},
};

void PrintTo(const StagingCase& c, std::ostream* out) {
    *out << c.name;
}

class Staging : public testing::TestWithParam<StagingCase> {};

TEST_P(Staging, TheFileHoldsTheLastBytesWrittenEverywhere) {
    const StagingCase& c = GetParam();
    TempFolder folder;
    const Bytes sourceBytes = filled(4 * StagingBytes, 77);
    writeFileBytes(folder.file("source"), sourceBytes);
    const FileHandle source = FileHandle::openForReading(folder.file("source"));
    AtomicFile page(folder.file("page"));

    Bytes expected(c.size, 0);
    {
        OutputFile output(page.file(), folder.file("page"));
        output.stageHead(c.head);
        for (const Step& step : c.steps) {
            if (step.copy) {
                std::uint64_t done = 0;
                while (done < step.length) {
                    const std::uint64_t from = step.seed * 1024 + done;
                    auto n = output.copyFrom(source, from, step.offset + done, step.length - done);
                    if (!n) { // Windows: the system copies whole files only
                        output.write(step.offset + done, sourceBytes.data() + from,
                                     step.length - done);
                        n = step.length - done;
                    }
                    ASSERT_GT(*n, 0u) << "the system did not copy";
                    done += *n;
                }
                std::copy_n(sourceBytes.begin() + step.seed * 1024, step.length,
                            expected.begin() + static_cast<std::ptrdiff_t>(step.offset));
            } else {
                const Bytes bytes = filled(step.length, step.seed);
                output.write(step.offset, bytes.data(), bytes.size());
                std::copy(bytes.begin(), bytes.end(),
                          expected.begin() + static_cast<std::ptrdiff_t>(step.offset));
            }
        }
        output.finish(c.size);
    }
    page.commit();
    const Bytes actual = readFileBytes(folder.file("page"));
    ASSERT_EQ(actual.size(), expected.size());
    const auto [first, _] = std::mismatch(actual.begin(), actual.end(), expected.begin());
    EXPECT_TRUE(first == actual.end()) << "first wrong byte at " << (first - actual.begin());
}

INSTANTIATE_TEST_SUITE_P(Writes, Staging, testing::ValuesIn(stagingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StagingMisuse, AKernelCopyIntoTheStagedHeadIsRefused) {
    TempFolder folder;
    writeFileBytes(folder.file("source"), Bytes(100, 1));
    const FileHandle source = FileHandle::openForReading(folder.file("source"));
    AtomicFile page(folder.file("page"));
    OutputFile output(page.file(), folder.file("page"));
    output.stageHead(64);
    EXPECT_THROW(output.copyFrom(source, 0, 32, 50), std::logic_error);
}

} // namespace
} // namespace plexifold::test
