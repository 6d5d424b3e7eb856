#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace plexifold::files {

class FileHandle;

// SHA-256 from the system's own library: OpenSSL's libcrypto (Sha256Posix.cpp) or
// Windows' CNG (Sha256Win32.cpp).
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, std::size_t size);

    /// The digest of everything given, as 64 lower-case hex digits. Ends the hash.
    std::string finish();

    /// The digest of the whole file open in `file`. Throws FileError on a read error.
    static std::string ofFile(const FileHandle& file);

private:
    struct State;

    static std::string hexOf(const unsigned char* digest, std::size_t size);

    std::unique_ptr<State> m_state;
};

} // namespace plexifold::files
