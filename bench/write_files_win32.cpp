// Copies each file that FOLDER\PATTERN matches into the folder TO with the plainest Win32
// calls: for each, one CreateFileW, one WriteFile and one CloseHandle, no temporary and no
// rename. The benchmark times it as the least a Windows program does to write those files.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool readWhole(const std::wstring& path, std::vector<char>& bytes) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    DWORD read = 0;
    bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart < (LONGLONG{1} << 30);
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        ok = ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
             read == bytes.size();
    }
    ::CloseHandle(file);
    return ok;
}

bool writeNew(const std::wstring& path, const std::vector<char>& bytes) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return ::CloseHandle(file) && ok;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: write_files_win32 FOLDER\\PATTERN TO\n", stderr);
        return 2;
    }
    const std::wstring pattern = argv[1];
    const std::wstring from = pattern.substr(0, pattern.find_last_of(L'\\') + 1);
    const std::wstring to = std::wstring(argv[2]) + L"\\";
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    std::vector<char> bytes;
    int failed = 0;
    do {
        if (!readWhole(from + found.cFileName, bytes) || !writeNew(to + found.cFileName, bytes))
            ++failed;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    if (failed)
        std::fprintf(stderr, "write_files_win32: %d files not written\n", failed);
    return failed ? 1 : 0;
}
