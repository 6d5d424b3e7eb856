#include "AtomicFile.h"

#include <atomic>
#include <random>

#include "AtomicFileSystem.h"
#include "FileError.h"
#include "PathText.h"

// What an atomic file is on every system; the system calls are in AtomicFilePosix.cpp and
// AtomicFileWin32.cpp.
namespace plexifold::files {
namespace {

std::atomic<bool> namedOnly{false};

} // namespace

AtomicFile::AtomicFile(const std::filesystem::path& target)
    : m_target(target), m_system(System::create(target)) {}

AtomicFile::~AtomicFile() = default;

const FileHandle& AtomicFile::file() const {
    return m_system->file();
}

void AtomicFile::commit() {
    m_system->commit();
}

void AtomicFile::useNamedFilesForTesting(bool named) {
    namedOnly = named;
}

std::string AtomicFile::System::randomSuffix() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix)
        c = letters[pick(random)];
    return suffix;
}

bool AtomicFile::System::namedFilesOnly() {
    return namedOnly.load();
}

void AtomicFile::System::failWriting(const std::filesystem::path& target, int error) {
    throw FileError("cannot write " + Utf8Of(target) + ": " + FileHandle::errorText(error));
}

} // namespace plexifold::files
