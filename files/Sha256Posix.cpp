#include "FileError.h"
#include <openssl/evp.h>

#include "Sha256.h"

namespace plexifold::files {

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
    if (!m_state->context || EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) != 1)
        throw FileError("SHA-256 is not available from the system");
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t size) {
    EVP_DigestUpdate(m_state->context, data, size);
}

std::string Sha256::finish() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(m_state->context, digest, &size);
    return hexOf(digest, size);
}

} // namespace plexifold::files
