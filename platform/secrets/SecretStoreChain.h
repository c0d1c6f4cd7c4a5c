#pragma once

#include "platform/secrets/SecretStore.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::secrets {

// The outcome of a write and the store that gave it (empty when no store was asked).
struct ChainWrite {
    SecretResult result;
    std::string store;

    bool ok() const { return result.ok(); }
};

// One item kept across an ordered list of stores (the keyring first, the private file second):
// - a read takes the first store answering ok with non-empty UTF-8 text;
// - a write goes to the first store that can be reached, so the file store takes it only when
//   the keyring is unavailable;
// - an empty write removes the item from every store, so no older copy resurfaces;
// - a store that once did not answer in time is not asked again for the chain's lifetime, so a
//   hung keyring costs its time-out once.
// Calls block and may come from any thread.
class SecretStoreChain {
public:
    explicit SecretStoreChain(std::vector<std::shared_ptr<SecretStore>> stores);
    explicit SecretStoreChain(std::vector<std::unique_ptr<SecretStore>> stores);

    std::optional<std::string> load(const SecretKey& key);
    ChainWrite save(const SecretKey& key, std::string_view value);

private:
    struct Member {
        std::shared_ptr<SecretStore> store;
        bool silent = false;
    };
    std::vector<std::shared_ptr<SecretStore>> reachable() const;
    void noteAnswer(const SecretStore& store, const SecretResult& result);
    ChainWrite removeEverywhere(const SecretKey& key);

    mutable std::mutex m_mutex;
    std::vector<Member> m_members;
};

}
