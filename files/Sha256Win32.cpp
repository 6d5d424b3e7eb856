#include <windows.h>

#include "FileError.h"
#include <bcrypt.h>

#include "Sha256.h"

namespace plexifold::files {

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash)
            ::BCryptDestroyHash(hash);
        if (algorithm)
            ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&m_state->algorithm, BCRYPT_SHA256_ALGORITHM,
                                                      nullptr, 0)) ||
        !BCRYPT_SUCCESS(
            ::BCryptCreateHash(m_state->algorithm, &m_state->hash, nullptr, 0, nullptr, 0, 0)))
        throw FileError("SHA-256 is not available from the system");
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t size) {
    auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
    while (size > 0) { // BCryptHashData takes at most a ULONG at a time
        const auto n = static_cast<ULONG>(size > 0x40000000 ? 0x40000000 : size);
        ::BCryptHashData(m_state->hash, bytes, n, 0);
        bytes += n;
        size -= n;
    }
}

std::string Sha256::finish() {
    UCHAR digest[32];
    ::BCryptFinishHash(m_state->hash, digest, sizeof digest, 0);
    return hexOf(digest, sizeof digest);
}

} // namespace plexifold::files
