#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace ikw {

// A fresh Ed25519 key pair for tests that sign what the code under test verifies.
class Ed25519TestKey {
public:
    Ed25519TestKey();
    ~Ed25519TestKey();
    Ed25519TestKey(const Ed25519TestKey&) = delete;
    Ed25519TestKey& operator=(const Ed25519TestKey&) = delete;

    // The 32 raw bytes of the public key.
    std::string publicKey() const;
    // The 64-byte signature of `message`.
    std::string sign(std::string_view message) const;

private:
    struct Key;
    std::unique_ptr<Key> m_key;
};

}
