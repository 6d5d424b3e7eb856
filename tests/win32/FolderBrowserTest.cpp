#include <gtest/gtest.h>

#include <string>

#include "FolderBrowser.h"

using plexifold::win32::FolderFromShellPath;

TEST(FolderBrowserTest, OnlyADrivesRootKeepsItsTrailingBackslash) {
    struct Case {
        std::wstring shell; // what the shell wrote into the buffer
        std::wstring expected;
    };
    const Case cases[] = {
        {std::wstring(L"C:\\scans\0\0\0", 11), L"C:\\scans"},
        {L"C:\\users\\root\\Documents\\", L"C:\\users\\root\\Documents"},
        {L"D:\\", L"D:\\"},
        {L"\\\\server\\share\\", L"\\\\server\\share"},
        {std::wstring(L"\0\0", 2), L""},
        {L"C:\\a b \\", L"C:\\a b "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FolderFromShellPath(c.shell), c.expected);
}
