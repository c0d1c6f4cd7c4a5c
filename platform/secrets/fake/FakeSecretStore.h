#pragma once

#include "platform/secrets/SecretStore.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ikw::secrets {

// An in-memory store for tests. It can be made to answer every call with a fixed failure, and it
// records each call as "<operation> <service>/<account>" (never the value).
class FakeSecretStore final : public SecretStore {
public:
    explicit FakeSecretStore(std::string name = "fake") : m_name(std::move(name)) {}

    // Every later call answers `status` with `message` (and `cause`, for unavailable) and changes
    // nothing, until healed.
    void failWith(SecretStatus status, std::string message = "refused by the test",
        SecretUnavailable cause = SecretUnavailable::noService);
    void heal();

    std::vector<std::string> calls() const;
    // The stored value, read without a recorded call.
    std::optional<std::string> peek(const SecretKey& key) const;

    std::string_view name() const override { return m_name; }
    SecretResult load(const SecretKey& key) override;
    SecretResult save(const SecretKey& key, std::string_view value) override;
    SecretResult remove(const SecretKey& key) override;

private:
    std::optional<SecretResult> record(const char* operation, const SecretKey& key);

    std::string m_name;
    mutable std::mutex m_mutex;
    std::map<std::pair<std::string, std::string>, std::string> m_items;
    std::optional<SecretResult> m_failure;
    std::vector<std::string> m_calls;
};

}
