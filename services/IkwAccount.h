#pragma once

#include "platform/core/TaskQueue.h"
#include "platform/http/HttpClient.h"
#include "platform/secrets/SecretStoreChain.h"
#include "platform/ui/WebAuthSessions.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace ikw::ui {
class Window;
}

namespace ikw::services {

// A sign-in ends with a token (signed in; both items are stored by then), an error text, or
// neither (the user cancelled). Always called on the main thread.
using SignInCompletion = std::function<void(std::optional<std::string> token, std::optional<std::string> error)>;

struct AccountParts {
    // The account service's origin; the exchange sends nothing to any other https origin or to a
    // plain-http one other than a loopback stand-in.
    std::string hub;
    // Where the token and the e-mail live (the keyring, else the private file).
    std::shared_ptr<secrets::SecretStoreChain> secrets;
    std::shared_ptr<http::HttpClient> http;
    // Opens the sign-in page and waits for its callback; must outlive the account.
    ui::WebAuthSessions* sessions = nullptr;
    // A serial background queue for the stores and the exchange; must outlive the account.
    TaskQueue* queue = nullptr;
    // Seconds since 1970 (the system clock when empty).
    std::function<double()> now;
    // On the main thread after the token or the e-mail changed (the menu retitles its item).
    std::function<void()> changed;
};

// The signed-in account of the maker's service: its token and e-mail, kept in the secret stores
// and mirrored in memory so that the main thread never waits on a keyring. The memory is filled
// once at launch from the stores and changes before the stores do on every save and sign-out.
class IkwAccount : public std::enable_shared_from_this<IkwAccount> {
public:
    static constexpr std::string_view app = "inkwarden";
    static constexpr std::string_view callback = "inkwarden://auth";
    static constexpr std::string_view callbackScheme = "inkwarden";
    static constexpr std::string_view service = "com.norvale.inkwarden.account";
    static constexpr std::string_view tokenAccount = "token";
    static constexpr std::string_view emailAccount = "email";
    // The product's service.
    static constexpr std::string_view productHub = "https://account.inkwarden.app";
    // The hub to use: IKW_ACCOUNT_HUB when it names a loopback stand-in
    // ("http://127.0.0.1:<port>"), else the product's.
    static std::string hubFromEnvironment();
    // Whether requests may go to `hub`: https, or the loopback stand-in.
    static bool isAllowedHub(std::string_view hub);

    // When the token stops being valid (seconds since 1970), read from its payload; nothing when
    // the token does not say.
    static std::optional<double> expiry(std::string_view token);
    // A token is handed out until 60 s before its expiry.
    static bool isUsable(std::string_view token, double now);

    static std::shared_ptr<IkwAccount> create(AccountParts parts);
    IkwAccount(const IkwAccount&) = delete;
    IkwAccount& operator=(const IkwAccount&) = delete;

    // Reads both items from the stores once, on the background queue.
    void loadStored();
    bool hasLoaded() const;

    // The usable token, or nothing (none stored, or expiring within 60 s).
    std::optional<std::string> token() const;
    // The stored e-mail, or empty text.
    std::string email() const;
    const std::string& hub() const { return m_parts.hub; }

    // Removes both items (the memory at once, the stores in the background).
    void signOut();
    // Opens the sign-in page in the browser and completes once on the main thread. `from` is the
    // window that asked; the caller answers there.
    void signIn(std::weak_ptr<ui::Window> from, SignInCompletion completion);

    // The rule for a sign-in page's answer, given the state the sign-in sent; a good answer runs
    // the exchange. Main thread.
    void finishSignIn(const std::string& state, std::optional<std::string> callbackUrl,
        std::optional<ui::WebAuthError> error, SignInCompletion completion);
    // Trades a one-time code for the token on the background queue.
    void exchange(std::string code, SignInCompletion completion);

private:
    explicit IkwAccount(AccountParts parts);

    struct Items {
        std::optional<std::string> token;
        std::string email;
    };
    std::string authorizeUrl(const std::string& state) const;
    // Runs on the background queue: the request, the reply, the stores.
    using Outcome = std::pair<std::optional<std::string>, std::optional<std::string>>;
    Outcome runExchange(const std::string& code);
    std::optional<std::string> storeSignIn(const std::string& token, const std::string& email);
    void remember(std::optional<std::string> token, std::optional<std::string> email);
    void announceChange();
    double now() const;

    AccountParts m_parts;
    mutable std::mutex m_mutex;
    Items m_items;
    bool m_loaded = false;
    // Bumped by every change; a launch read that finds it moved keeps the newer memory.
    unsigned m_changes = 0;
    // The sign-in whose page is open: its window, kept only to know where the answer goes.
    std::weak_ptr<ui::Window> m_anchor;
};

// The process's account, installed by the program at start (none in tests that do not).
std::shared_ptr<IkwAccount> installAccount(std::shared_ptr<IkwAccount> account);
std::shared_ptr<IkwAccount> account();

}
