#include "platform/core/Identifiers.h"

#include <openssl/evp.h>

namespace ikw {

std::string sha256Hex(std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        return {};
    return toHex(digest, length);
}

}
