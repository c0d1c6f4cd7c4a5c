#include "platform/core/Identifiers.h"
#include "platform/core/fake/Ed25519TestKey.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(Ed25519, OnlyTheSignersSignatureOfTheseBytesVerifies)
{
    const Ed25519TestKey signer;
    const Ed25519TestKey stranger;
    const std::string message = "the archive's bytes";
    const std::string signature = signer.sign(message);
    std::string flipped = signature;
    flipped[10] = static_cast<char>(flipped[10] ^ 1);
    const struct {
        const char* name;
        std::string key, message, signature;
        bool verifies;
    } cases[] = {
        { "the signer's", signer.publicKey(), message, signature, true },
        { "another message", signer.publicKey(), message + ".", signature, false },
        { "another signer", stranger.publicKey(), message, signature, false },
        { "a changed bit", signer.publicKey(), message, flipped, false },
        { "a short signature", signer.publicKey(), message, signature.substr(0, 63), false },
        { "a short key", signer.publicKey().substr(0, 31), message, signature, false },
        { "no signature", signer.publicKey(), message, "", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(verifyEd25519(c.key, c.message, c.signature), c.verifies) << c.name;
}

}
}
