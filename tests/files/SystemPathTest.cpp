// Windows only: the form in which the file layer hands paths to the system (Wine takes
// paths of any length, so this is where the "\\?\" form is checked), and what a page
// file in the making leaves when its process is killed.
#include <cerrno>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <windows.h>

#include "AtomicFile.h"
#include "FileHandle.h"
#include "Folder.h"
#include "SystemPath.h"
#include "TempFolder.h"

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

// Polls `done` for up to 10 s.
template <class Done> bool within10s(Done done) {
    for (int i = 0; i < 1000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

std::wstring helperProgram() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    return (std::filesystem::path(self).parent_path() / L"hold_page_file.exe").native();
}

// The temporary is hidden while it is written and gone once its writer is killed; the
// finished page is shown.
TEST(PageFileInTheMaking, IsHiddenAndGoneWhenItsProcessIsKilled) {
    TempFolder folder;
    const auto listed = [&] { return files::ShownFilesIn(folder.path()).value(); };
    {
        files::AtomicFile page(folder.path() / "doc_page_1.tif");
        EXPECT_EQ(folder.names().size(), 1u);
        EXPECT_TRUE(listed().empty()) << "the temporary is hidden";
        page.commit();
    }
    EXPECT_EQ(listed(), std::vector<std::filesystem::path>{"doc_page_1.tif"});

    std::wstring command =
        L"\"" + helperProgram() + L"\" \"" + (folder.path() / "doc_page_2.tif").native() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    EXPECT_TRUE(within10s([&] { return folder.names().size() == 2; })) << "no temporary seen";
    std::wstring kill = L"taskkill.exe /F /PID " + std::to_wstring(process.dwProcessId);
    PROCESS_INFORMATION killer{};
    ASSERT_TRUE(CreateProcessW(nullptr, kill.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &killer));
    WaitForSingleObject(killer.hProcess, INFINITE);
    CloseHandle(killer.hThread);
    CloseHandle(killer.hProcess);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0) << "not killed";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_TRUE(within10s([&] { return folder.names().size() == 1; }))
        << "a temporary stays: " << testing::PrintToString(folder.names());
}

} // namespace
} // namespace plexifold::test
