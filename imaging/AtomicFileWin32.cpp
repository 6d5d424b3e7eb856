#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <vector>
#include <windows.h>

#include "SystemPath.h"
#include "TiffError.h"

namespace plexifold::imaging {
namespace {

std::wstring randomSuffix() {
    static const wchar_t letters[] =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(letters) - 2);
    std::wstring suffix(6, L' ');
    for (wchar_t& c : suffix)
        c = letters[pick(random)];
    return suffix;
}

} // namespace

// Written under a temporary name (".NAME.XXXXXX") in the target's folder and renamed over
// the target through its own handle, so that it replaces the target in one step. The file
// is deleted through its handle too: a failure leaves nothing, even when the folder moves.
struct AtomicFile::System {
    explicit System(const std::filesystem::path& target);
    ~System();

    void commit();
    void renameOverTarget();
    [[noreturn]] void fail(int error) const;

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    FileHandle m_file;
    bool m_committed = false;
};

AtomicFile::AtomicFile(const std::filesystem::path& target)
    : m_target(target), m_system(std::make_unique<System>(target)) {}

AtomicFile::~AtomicFile() = default;

const FileHandle& AtomicFile::file() const {
    return m_system->m_file;
}

void AtomicFile::commit() {
    m_system->commit();
}

void AtomicFile::useNamedFilesForTesting(bool) {}

AtomicFile::System::System(const std::filesystem::path& target) : m_target(target) {
    if (!target.has_filename())
        fail(EISDIR);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path temporary =
            target.parent_path() / (L"." + target.filename().wstring() + L"." + randomSuffix());
        const HANDLE handle =
            ::CreateFileW(systemPath(temporary).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_file = FileHandle(reinterpret_cast<std::intptr_t>(handle), pathText(target));
            m_temporary = temporary;
            return;
        }
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            fail(systemError(code));
    }
    fail(EEXIST);
}

AtomicFile::System::~System() {
    if (m_committed || m_temporary.empty())
        return;
    if (m_file.isOpen()) {
        FILE_DISPOSITION_INFO dispose{TRUE};
        const auto handle = reinterpret_cast<HANDLE>(m_file.m_native);
        if (::SetFileInformationByHandle(handle, FileDispositionInfo, &dispose, sizeof dispose)) {
            m_file.close();
            return;
        }
        m_file.close();
    }
    ::DeleteFileW(systemPath(m_temporary).c_str());
}

void AtomicFile::System::commit() {
    renameOverTarget();
    m_committed = true;
    if (const int error = m_file.close()) {
        ::DeleteFileW(systemPath(m_target).c_str()); // published already: it must not stay there
        fail(error);
    }
}

void AtomicFile::System::renameOverTarget() {
    const std::wstring target = systemPath(m_target, true);
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, target.data(), nameBytes);
    const auto handle = reinterpret_cast<HANDLE>(m_file.m_native);
    if (!::SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size())))
        fail(systemError(::GetLastError(), m_target));
}

void AtomicFile::System::fail(int error) const {
    throw TiffError("cannot write " + pathText(m_target) + ": " + FileHandle::errorText(error));
}

} // namespace plexifold::imaging
