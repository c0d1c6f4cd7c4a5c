#include "platform/secrets/fake/FakeSecretStore.h"

namespace ikw::secrets {

void FakeSecretStore::failWith(SecretStatus status, std::string message, SecretUnavailable cause)
{
    const std::lock_guard guard(m_mutex);
    m_failure = SecretResult { status, {}, std::move(message), cause };
}

void FakeSecretStore::heal()
{
    const std::lock_guard guard(m_mutex);
    m_failure.reset();
}

std::vector<std::string> FakeSecretStore::calls() const
{
    const std::lock_guard guard(m_mutex);
    return m_calls;
}

std::optional<std::string> FakeSecretStore::peek(const SecretKey& key) const
{
    const std::lock_guard guard(m_mutex);
    const auto found = m_items.find({ key.service, key.account });
    return found == m_items.end() ? std::nullopt : std::optional(found->second);
}

std::optional<SecretResult> FakeSecretStore::record(const char* operation, const SecretKey& key)
{
    m_calls.push_back(std::string(operation) + " " + key.service + "/" + key.account);
    return m_failure;
}

SecretResult FakeSecretStore::load(const SecretKey& key)
{
    const std::lock_guard guard(m_mutex);
    if (auto failure = record("load", key))
        return *failure;
    const auto found = m_items.find({ key.service, key.account });
    return found == m_items.end() ? SecretResult::notFound() : SecretResult::success(found->second);
}

SecretResult FakeSecretStore::save(const SecretKey& key, std::string_view value)
{
    const std::lock_guard guard(m_mutex);
    if (auto failure = record("save", key))
        return *failure;
    if (value.empty())
        m_items.erase({ key.service, key.account });
    else
        m_items[{ key.service, key.account }] = std::string(value);
    return SecretResult::success();
}

SecretResult FakeSecretStore::remove(const SecretKey& key)
{
    const std::lock_guard guard(m_mutex);
    if (auto failure = record("remove", key))
        return *failure;
    return m_items.erase({ key.service, key.account }) ? SecretResult::success() : SecretResult::notFound();
}

}
