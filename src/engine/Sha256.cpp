#include "engine/Sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

struct Sha256::Context
{
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256()
    : m_context(std::make_unique<Context>())
{
    if (!m_context->ctx || EVP_DigestInit_ex(m_context->ctx, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available");
}

Sha256::~Sha256() = default;

void Sha256::add(const char *data, size_t size)
{
    EVP_DigestUpdate(m_context->ctx, data, size);
}

QByteArray Sha256::hex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context->ctx, digest, &length);
    return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
}

QByteArray Sha256::hexOf(QByteArrayView bytes)
{
    Sha256 hash;
    hash.add(bytes.data(), size_t(bytes.size()));
    return hash.hex();
}
