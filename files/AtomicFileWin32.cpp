#include <cerrno>
#include <cstring>
#include <vector>
#include <windows.h>

#include "AtomicFileSystem.h"
#include "PathText.h"
#include "SystemPath.h"

namespace plexifold::files {
namespace {

// Written under a temporary name (".NAME.XXXXXX") in the target's folder and renamed over
// the target through its own handle, so that it replaces the target in one step. Until
// then the file is hidden and marked for deletion, so that the system removes it when the
// handle closes: a failure, or a process ended in any way, leaves nothing, even when the
// folder moves.
class Win32File final : public AtomicFile::System {
public:
    explicit Win32File(const std::filesystem::path& target);
    ~Win32File() override;

    void commit() override;

private:
    bool markForDeletion(bool deleted) const;
    void renameOverTarget();
    void showFile() const;
    [[noreturn]] void fail(int error) const { failWriting(m_target, error); }
    HANDLE handle() const { return reinterpret_cast<HANDLE>(nativeOf(m_file)); }

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    bool m_committed = false;
};

Win32File::Win32File(const std::filesystem::path& target) : m_target(target) {
    if (!target.has_filename())
        fail(EISDIR);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string letters = randomSuffix();
        const std::wstring suffix(letters.begin(), letters.end());
        const std::filesystem::path temporary =
            target.parent_path() / (L"." + target.filename().native() + L"." + suffix);
        const HANDLE handle =
            ::CreateFileW(systemPath(temporary).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_file = adopt(reinterpret_cast<std::intptr_t>(handle), Utf8Of(target));
            m_temporary = temporary;
            if (markForDeletion(true))
                return;
            const DWORD code = ::GetLastError();
            m_file.close();
            ::DeleteFileW(systemPath(temporary).c_str());
            fail(systemError(code));
        }
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            fail(systemError(code));
    }
    fail(EEXIST);
}

Win32File::~Win32File() {
    if (m_committed || m_temporary.empty())
        return;
    const bool marked = m_file.isOpen() && markForDeletion(true);
    m_file.close();
    if (!marked)
        ::DeleteFileW(systemPath(m_temporary).c_str());
}

void Win32File::commit() {
    if (!markForDeletion(false))
        fail(systemError(::GetLastError()));
    renameOverTarget();
    m_committed = true;
    showFile();
    if (const int error = m_file.close()) {
        ::DeleteFileW(systemPath(m_target).c_str()); // published already: it must not stay there
        fail(error);
    }
}

bool Win32File::markForDeletion(bool deleted) const {
    FILE_DISPOSITION_INFO dispose{static_cast<BOOLEAN>(deleted)};
    return ::SetFileInformationByHandle(handle(), FileDispositionInfo, &dispose, sizeof dispose);
}

void Win32File::renameOverTarget() {
    const std::wstring target = systemPath(m_target, true);
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, target.data(), nameBytes);
    if (!::SetFileInformationByHandle(handle(), FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size())))
        fail(systemError(::GetLastError(), m_target));
}

// The page file is shown once it is in place; should that fail, it stays whole but hidden.
void Win32File::showFile() const {
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(handle(), FileBasicInfo, &basic, sizeof basic)) {
        basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
        if (basic.FileAttributes == 0)
            basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        ::SetFileInformationByHandle(handle(), FileBasicInfo, &basic, sizeof basic);
    }
}

} // namespace

std::unique_ptr<AtomicFile::System>
AtomicFile::System::create(const std::filesystem::path& target) {
    return std::make_unique<Win32File>(target);
}

} // namespace plexifold::files
