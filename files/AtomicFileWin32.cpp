#include <cerrno>
#include <cstring>
#include <vector>
#include <windows.h>

#include "AtomicFileSystem.h"
#include "SystemPath.h"

namespace plexifold::files {
namespace {

// Written under a temporary name (".NAME.XXXXXX") in the target's folder and renamed over
// the target through its own handle, so that it replaces the target in one step. The file
// is deleted through its handle too: a failure leaves nothing, even when the folder moves.
class Win32File final : public AtomicFile::System {
public:
    explicit Win32File(const std::filesystem::path& target);
    ~Win32File() override;

    void commit() override;

private:
    void renameOverTarget();
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
            target.parent_path() / (L"." + target.filename().wstring() + L"." + suffix);
        const HANDLE handle =
            ::CreateFileW(systemPath(temporary).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_file = adopt(reinterpret_cast<std::intptr_t>(handle), pathText(target));
            m_temporary = temporary;
            return;
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
    if (m_file.isOpen()) {
        FILE_DISPOSITION_INFO dispose{TRUE};
        if (::SetFileInformationByHandle(handle(), FileDispositionInfo, &dispose, sizeof dispose)) {
            m_file.close();
            return;
        }
        m_file.close();
    }
    ::DeleteFileW(systemPath(m_temporary).c_str());
}

void Win32File::commit() {
    renameOverTarget();
    m_committed = true;
    if (const int error = m_file.close()) {
        ::DeleteFileW(systemPath(m_target).c_str()); // published already: it must not stay there
        fail(error);
    }
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

} // namespace

std::unique_ptr<AtomicFile::System>
AtomicFile::System::create(const std::filesystem::path& target) {
    return std::make_unique<Win32File>(target);
}

} // namespace plexifold::files
