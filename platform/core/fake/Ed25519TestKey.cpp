#include "platform/core/fake/Ed25519TestKey.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace ikw {

struct Ed25519TestKey::Key {
    EVP_PKEY* pkey = nullptr;
    ~Key() { EVP_PKEY_free(pkey); }
};

Ed25519TestKey::Ed25519TestKey() : m_key(std::make_unique<Key>())
{
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
    const bool made = context && EVP_PKEY_keygen_init(context) == 1 && EVP_PKEY_keygen(context, &m_key->pkey) == 1;
    EVP_PKEY_CTX_free(context);
    if (!made)
        throw std::runtime_error("no Ed25519 key could be made");
}

Ed25519TestKey::~Ed25519TestKey() = default;

std::string Ed25519TestKey::publicKey() const
{
    std::string key(32, '\0');
    std::size_t length = key.size();
    EVP_PKEY_get_raw_public_key(m_key->pkey, reinterpret_cast<unsigned char*>(key.data()), &length);
    key.resize(length);
    return key;
}

std::string Ed25519TestKey::sign(std::string_view message) const
{
    std::string signature(64, '\0');
    std::size_t length = signature.size();
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool signed_ = context && EVP_DigestSignInit(context, nullptr, nullptr, nullptr, m_key->pkey) == 1
        && EVP_DigestSign(context, reinterpret_cast<unsigned char*>(signature.data()), &length,
               reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
    EVP_MD_CTX_free(context);
    if (!signed_)
        throw std::runtime_error("the test key could not sign");
    signature.resize(length);
    return signature;
}

}
