#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ikw::ui {

class Workspace;

// Why a web sign-in ended without a callback address.
struct WebAuthError {
    // The user ended the sign-in (here: a later sign-in took the earlier one's place, since a
    // browser cannot report that its tab was closed).
    bool cancelledLogin = false;
    std::string description;
};

// The callback address the sign-in page sent the browser to, or why there is none.
using WebAuthCompletion = std::function<void(std::optional<std::string> callbackUrl, std::optional<WebAuthError> error)>;

// Web sign-in through the user's default browser. A session opens the sign-in page there; the
// page's last redirect goes to an address of the callback scheme, which the desktop hands to this
// program (our desktop entry handles the scheme), and the program passes it to `deliver`.
// One session per callback scheme is live at a time. Main thread only.
class WebAuthSessions {
public:
    // `workspace` must outlive the sessions.
    explicit WebAuthSessions(Workspace& workspace) : m_workspace(workspace) {}

    // Opens `url` in the browser and waits for an address of `callbackScheme`. A session still
    // waiting on that scheme completes as cancelled first. False, with nothing kept, when the
    // browser could not be opened.
    bool start(const std::string& url, const std::string& callbackScheme, WebAuthCompletion completion);
    // Completes the session waiting on the address's scheme with it; true when one was waiting.
    // An address no session waits for is ignored.
    bool deliver(const std::string& callbackUrl);
    bool isWaiting(std::string_view callbackScheme) const;

private:
    Workspace& m_workspace;
    std::map<std::string, WebAuthCompletion, std::less<>> m_live;
};

// The scheme of an address, lower-cased ("" when it has none).
std::string urlScheme(std::string_view url);

}
