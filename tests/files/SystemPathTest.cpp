// Windows only: the form in which the file layer hands paths to the system. Wine takes
// paths of any length, so this is where the "\\?\" form is checked.
#include <cerrno>
#include <gtest/gtest.h>

#include "FileHandle.h"
#include "SystemPath.h"

namespace plexifold::test {
namespace {

using files::systemPath;

const std::wstring deep = std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b') + L"\\p.tif";

struct PathCase {
    const char* name;
    std::wstring given;
    std::wstring expected;
};

const PathCase pathCases[] = {
    {"ShortRelativeAsGiven", L"doc.tif", L"doc.tif"},
    {"ShortAbsoluteAsGiven", L"C:\\scans\\doc.tif", L"C:\\scans\\doc.tif"},
    {"LongGetsThePrefix", L"C:\\" + deep, L"\\\\?\\C:\\" + deep},
    {"LongWithSlashesGetsBackslashes",
     L"C:/" + std::wstring(150, L'a') + L"/" + std::wstring(150, L'b') + L"/p.tif",
     L"\\\\?\\C:\\" + deep},
    {"LongOnAShareGetsTheUncPrefix", L"\\\\server\\share\\" + deep,
     L"\\\\?\\UNC\\server\\share\\" + deep},
    {"PrefixedAsGiven", L"\\\\?\\C:\\" + deep, L"\\\\?\\C:\\" + deep},
    {"ShortOnAShareMadeAbsoluteAsGiven", L"\\\\server\\share\\doc.tif",
     L"\\\\server\\share\\doc.tif"},
};

void PrintTo(const PathCase& c, std::ostream* out) {
    *out << c.name;
}

class SystemPathForm : public testing::TestWithParam<PathCase> {};

TEST_P(SystemPathForm, IsWhatTheWideFunctionsTake) {
    const auto text = [](const std::wstring& w) { return std::filesystem::path(w).string(); };
    EXPECT_EQ(text(systemPath(GetParam().given)), text(GetParam().expected));
    if (GetParam().given.find(L':') != std::wstring::npos ||
        GetParam().given.starts_with(L"\\\\")) {
        EXPECT_EQ(text(systemPath(GetParam().given, true)), text(GetParam().expected))
            << "made absolute";
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, SystemPathForm, testing::ValuesIn(pathCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SystemError, KnownErrorsGetTheirNumberOthersKeepTheirCodeAndText) {
    EXPECT_EQ(files::systemError(2 /* ERROR_FILE_NOT_FOUND */), ENOENT);
    EXPECT_EQ(files::systemError(112 /* ERROR_DISK_FULL */), ENOSPC);
    EXPECT_EQ(files::systemError(1392 /* ERROR_FILE_CORRUPT */), -1392);
    const std::string text = files::FileHandle::errorText(-1392);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), '.');
}

} // namespace
} // namespace plexifold::test
