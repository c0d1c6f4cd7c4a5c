#pragma once

#include <string>
#include <string_view>

namespace ikw::secrets {

// Secrets are addressed by two attributes, as generic passwords are.
struct SecretKey {
    std::string service;
    std::string account;
};

enum class SecretStatus {
    ok,
    notFound,
    // The store cannot be reached at all (no service, no answer in time, locked): a caller may
    // try its next store.
    unavailable,
    // The store answered but failed.
    error,
};

// Why a store is unavailable. A caller that must not take a store holding items it cannot show
// for an empty one tells "nothing there" from the other two.
enum class SecretUnavailable {
    // Nothing answers for the store (no session bus, no secret service on it).
    noService,
    // The keyring is locked and was not unlocked.
    locked,
    // The service is there but did not answer in time, or broke off the call.
    noAnswer,
};

// Outcome of a call. `value` is set by a successful load only; `message` explains a failure and
// never contains a secret.
struct SecretResult {
    SecretStatus status = SecretStatus::error;
    std::string value;
    std::string message;
    // Meaningful for `unavailable` only.
    SecretUnavailable cause = SecretUnavailable::noService;

    bool ok() const { return status == SecretStatus::ok; }
    bool noService() const { return status == SecretStatus::unavailable && cause == SecretUnavailable::noService; }

    static SecretResult success(std::string value = {}) { return { SecretStatus::ok, std::move(value), {} }; }
    static SecretResult notFound() { return { SecretStatus::notFound, {}, {} }; }
    static SecretResult unavailable(std::string message, SecretUnavailable cause = SecretUnavailable::noService)
    {
        return { SecretStatus::unavailable, {}, std::move(message), cause };
    }
    static SecretResult failure(std::string message) { return { SecretStatus::error, {}, std::move(message) }; }
};

std::string_view statusName(SecretStatus status);

// A per-user store of small secret values (tokens, a signature list). Calls block their thread
// until the store has answered or given up.
class SecretStore {
public:
    virtual ~SecretStore() = default;

    // A short name for diagnostics ("secret service", "file").
    virtual std::string_view name() const = 0;
    // ok with the stored bytes, or notFound.
    virtual SecretResult load(const SecretKey& key) = 0;
    // Stores the bytes in place of any earlier value; an empty value removes the item.
    virtual SecretResult save(const SecretKey& key, std::string_view value) = 0;
    // ok when an item was removed, notFound when there was none.
    virtual SecretResult remove(const SecretKey& key) = 0;
};

}
