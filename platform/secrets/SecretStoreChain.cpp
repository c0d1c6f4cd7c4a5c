#include "platform/secrets/SecretStoreChain.h"

#include "platform/core/TextMetrics.h"

namespace ikw::secrets {

namespace {

std::vector<std::shared_ptr<SecretStore>> shared(std::vector<std::unique_ptr<SecretStore>> stores)
{
    std::vector<std::shared_ptr<SecretStore>> result;
    for (auto& store : stores)
        result.push_back(std::move(store));
    return result;
}

bool didNotAnswer(const SecretResult& result)
{
    return result.status == SecretStatus::unavailable && result.cause == SecretUnavailable::noAnswer;
}

}

SecretStoreChain::SecretStoreChain(std::vector<std::shared_ptr<SecretStore>> stores)
{
    for (auto& store : stores) {
        if (store)
            m_members.push_back({ std::move(store), false });
    }
}

SecretStoreChain::SecretStoreChain(std::vector<std::unique_ptr<SecretStore>> stores)
    : SecretStoreChain(shared(std::move(stores)))
{
}

std::vector<std::shared_ptr<SecretStore>> SecretStoreChain::reachable() const
{
    const std::lock_guard guard(m_mutex);
    std::vector<std::shared_ptr<SecretStore>> stores;
    for (const Member& member : m_members) {
        if (!member.silent)
            stores.push_back(member.store);
    }
    return stores;
}

void SecretStoreChain::noteAnswer(const SecretStore& store, const SecretResult& result)
{
    if (!didNotAnswer(result))
        return;
    const std::lock_guard guard(m_mutex);
    for (Member& member : m_members) {
        if (member.store.get() == &store)
            member.silent = true;
    }
}

std::optional<std::string> SecretStoreChain::load(const SecretKey& key)
{
    for (const auto& store : reachable()) {
        SecretResult found = store->load(key);
        noteAnswer(*store, found);
        if (found.ok() && !found.value.empty() && isValidUtf8(found.value))
            return std::move(found.value);
    }
    return std::nullopt;
}

ChainWrite SecretStoreChain::save(const SecretKey& key, std::string_view value)
{
    if (value.empty())
        return removeEverywhere(key);
    ChainWrite last { SecretResult::unavailable("no store to write to"), {} };
    for (const auto& store : reachable()) {
        ChainWrite written { store->save(key, value), std::string(store->name()) };
        noteAnswer(*store, written.result);
        if (written.result.status != SecretStatus::unavailable)
            return written;
        last = std::move(written);
    }
    return last;
}

ChainWrite SecretStoreChain::removeEverywhere(const SecretKey& key)
{
    ChainWrite outcome { SecretResult::success(), {} };
    for (const auto& store : reachable()) {
        SecretResult removed = store->remove(key);
        noteAnswer(*store, removed);
        if (removed.status == SecretStatus::error && outcome.ok())
            outcome = { std::move(removed), std::string(store->name()) };
    }
    return outcome;
}

}
