#include "platform/secrets/LibsecretStore.h"

#include "platform/secrets/SecretCall.h"

#include <libsecret/secret.h>

#include <functional>
#include <mutex>

namespace ikw::secrets {

namespace {

constexpr const char* kServiceName = "org.freedesktop.secrets";
constexpr const char* kServicePath = "/org/freedesktop/secrets";

struct HashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using Attributes = std::unique_ptr<GHashTable, HashTableUnref>;

struct SecretValueUnref {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
using Value = std::unique_ptr<SecretValue, SecretValueUnref>;

// The table points into `key`, which must outlive it.
Attributes attributesOf(const SecretKey& key)
{
    Attributes table(g_hash_table_new(g_str_hash, g_str_equal));
    g_hash_table_insert(table.get(), const_cast<char*>("service"), const_cast<char*>(key.service.c_str()));
    g_hash_table_insert(table.get(), const_cast<char*>("account"), const_cast<char*>(key.account.c_str()));
    return table;
}

// Failing to reach or unlock the keyring makes the store unavailable; anything else the service
// says is an error of this call. The service answered a ping before the call, so a broken-off
// call is not taken for a missing service.
SecretResult resultOf(const GError* error)
{
    const std::string message = "secret service: " + std::string(error->message ? error->message : "unknown error");
    if (error->domain == SECRET_ERROR && error->code == SECRET_ERROR_IS_LOCKED)
        return SecretResult::unavailable(message, SecretUnavailable::locked);
    if (error->domain == G_DBUS_ERROR || error->domain == G_IO_ERROR)
        return SecretResult::unavailable(message, SecretUnavailable::noAnswer);
    return SecretResult::failure(message);
}

bool isTimeout(const GError* error)
{
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) || g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY)
        || g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMEOUT) || g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMED_OUT);
}

// libsecret keeps one shared connection to the service per process; its calls are made one at a
// time so that no two threads drive it at once.
std::unique_lock<std::mutex> serialiseKeyringCalls()
{
    static std::mutex mutex;
    return std::unique_lock(mutex);
}

SecretResult checkServiceAnswers(std::chrono::milliseconds timeout)
{
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus)
        return SecretResult::unavailable(std::string("no session bus: ") + error->message);
    // A ping has a time-out of its own, unlike libsecret's calls, so a service that hangs is
    // found out quickly.
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(bus, kServiceName, kServicePath, "org.freedesktop.DBus.Peer",
        "Ping", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, static_cast<int>(timeout.count()), nullptr, &error);
    // A name nobody owns (or that cannot be started) is a missing service; one that holds the
    // name but stays silent may well keep items, and is only not answering.
    if (!reply)
        return SecretResult::unavailable(std::string("secret service does not answer: ") + error->message,
            isTimeout(error) ? SecretUnavailable::noAnswer : SecretUnavailable::noService);
    return SecretResult::success();
}

const SecretSchema& genericSchema()
{
    static const SecretSchema schema = [] {
        SecretSchema generic {};
        generic.name = "org.freedesktop.Secret.Generic";
        // Items are found by their attributes alone, whichever schema name they were stored under.
        generic.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
        generic.attributes[0] = { "service", SECRET_SCHEMA_ATTRIBUTE_STRING };
        generic.attributes[1] = { "account", SECRET_SCHEMA_ATTRIBUTE_STRING };
        return generic;
    }();
    return schema;
}

using StartKeyringCall = std::function<void(const SecretSchema*, GHashTable* attributes, GCancellable*, GAsyncReadyCallback, gpointer)>;
using FinishKeyringCall = std::function<SecretResult(GAsyncResult*, GError**)>;

// One call of the service for `key`, made only when the service answers, and given up after the
// call time-out.
SecretResult runKeyringCall(const LibsecretOptions& options, const SecretKey& key,
    const StartKeyringCall& start, const FinishKeyringCall& finish)
{
    const auto serialised = serialiseKeyringCalls();
    if (SecretResult answered = checkServiceAnswers(options.answerTimeout); !answered.ok())
        return answered;
    const Attributes attributes = attributesOf(key);
    SecretResult result;
    const SecretCall call = runSecretCall(options.callTimeout,
        [&](GCancellable* cancellable, GAsyncReadyCallback done, gpointer data) {
            start(&genericSchema(), attributes.get(), cancellable, done, data);
        },
        [&](GAsyncResult* answered) {
            g_autoptr(GError) error = nullptr;
            result = finish(answered, &error);
            if (error)
                result = resultOf(error);
        });
    if (call.timedOut)
        return SecretResult::unavailable(call.timeoutMessage, SecretUnavailable::noAnswer);
    return result;
}

// The first matching item, unlocked ones before locked ones, without unlocking any: a locked
// keyring answers at once instead of showing a prompt.
SecretResult loadWithoutUnlocking(const LibsecretOptions& options, const SecretKey& key)
{
    const auto search = [](const SecretSchema* schema, GHashTable* attributes, GCancellable* cancellable, GAsyncReadyCallback done,
                            gpointer data) {
        secret_service_search(nullptr, schema, attributes, SECRET_SEARCH_LOAD_SECRETS, cancellable, done, data);
    };
    return runKeyringCall(options, key, search, [](GAsyncResult* call, GError** error) {
        GList* items = secret_service_search_finish(nullptr, call, error);
        if (!items)
            return SecretResult::notFound();
        SecretItem* item = SECRET_ITEM(items->data);
        SecretResult result;
        if (secret_item_get_locked(item)) {
            result = SecretResult::unavailable("secret service: the keyring is locked", SecretUnavailable::locked);
        } else if (const Value value(secret_item_get_secret(item)); value) {
            gsize length = 0;
            const gchar* bytes = secret_value_get(value.get(), &length);
            result = SecretResult::success(std::string(bytes, length));
        } else {
            result = SecretResult::failure("secret service: the item's secret could not be read");
        }
        g_list_free_full(items, g_object_unref);
        return result;
    });
}

}

LibsecretStore::LibsecretStore(LibsecretOptions options)
    : m_options(options)
{
}

SecretResult LibsecretStore::load(const SecretKey& key)
{
    if (!m_options.unlockToLoad)
        return loadWithoutUnlocking(m_options, key);
    SecretResult found = runKeyringCall(m_options, key, secret_password_lookupv, [](GAsyncResult* call, GError** error) {
        const Value value(secret_password_lookup_binary_finish(call, error));
        if (!value)
            return SecretResult::notFound();
        gsize length = 0;
        const gchar* bytes = secret_value_get(value.get(), &length);
        return SecretResult::success(std::string(bytes, length));
    });
    // A lookup whose unlock prompt was dismissed or could not be shown answers as if there were
    // no item: ask again without unlocking, so that a locked item is not taken for a missing one.
    if (found.status != SecretStatus::notFound)
        return found;
    SecretResult again = loadWithoutUnlocking(m_options, key);
    return again.status == SecretStatus::unavailable ? again : found;
}

SecretResult LibsecretStore::save(const SecretKey& key, std::string_view bytes)
{
    if (bytes.empty()) {
        const SecretResult removed = remove(key);
        return removed.status == SecretStatus::notFound ? SecretResult::success() : removed;
    }
    const bool text = g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
    const Value value(secret_value_new(bytes.data(), static_cast<gssize>(bytes.size()), text ? "text/plain" : "application/octet-stream"));
    const std::string label = key.service + " (" + key.account + ")";
    const auto store = [&](const SecretSchema* schema, GHashTable* attributes, GCancellable* cancellable, GAsyncReadyCallback done,
                           gpointer data) {
        secret_password_storev_binary(schema, attributes, SECRET_COLLECTION_DEFAULT, label.c_str(), value.get(), cancellable, done, data);
    };
    return runKeyringCall(m_options, key, store, [](GAsyncResult* call, GError** error) {
        return secret_password_store_finish(call, error) ? SecretResult::success()
                                                          : SecretResult::failure("secret service: the item was not stored");
    });
}

SecretResult LibsecretStore::remove(const SecretKey& key)
{
    return runKeyringCall(m_options, key, secret_password_clearv, [](GAsyncResult* call, GError** error) {
        return secret_password_clear_finish(call, error) ? SecretResult::success() : SecretResult::notFound();
    });
}

}
