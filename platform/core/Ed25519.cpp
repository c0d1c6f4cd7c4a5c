#include "platform/core/Identifiers.h"

#include <openssl/evp.h>

#include <memory>

namespace ikw {

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct DigestFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

const unsigned char* bytesOf(std::string_view text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

}

bool verifyEd25519(std::string_view publicKey, std::string_view message, std::string_view signature)
{
    if (publicKey.size() != 32 || signature.size() != 64)
        return false;
    const std::unique_ptr<EVP_PKEY, KeyFree> key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, bytesOf(publicKey), publicKey.size()));
    const std::unique_ptr<EVP_MD_CTX, DigestFree> context(EVP_MD_CTX_new());
    if (!key || !context)
        return false;
    // Ed25519 signs the message itself in one pass: no separate digest.
    if (EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(), bytesOf(signature), signature.size(), bytesOf(message), message.size()) == 1;
}

}
