#pragma once

// How a hand-off URL reaches the application. A URL that fits in one program argument is opened
// through the session's handler of the "qeliz" scheme (our desktop entry), which starts the
// application or passes the URL on to the running one. A longer URL (a large selection of long
// paths) goes over the session bus to the application's org.freedesktop.Application.Open, which
// GApplication serves like any opened URI; when the application is not running, it is started
// first and the call is repeated until it answers.

#include <cstddef>
#include <string>
#include <string_view>

namespace ikw::finderext {

// The longest argument Linux passes to a new program: MAX_ARG_STRLEN (32 pages) less its NUL.
inline constexpr std::size_t kMaxArgumentLength = 32 * 4096 - 1;
// How long a started application has to appear on the session bus, and how often it is asked.
inline constexpr unsigned kStartWaitMilliseconds = 30'000;
inline constexpr unsigned kStartRetryMilliseconds = 200;

enum class HandoffRoute { Argument, SessionBus };

HandoffRoute routeFor(std::string_view url);

// The GApplication object path of an application identifier: "/com/norvale/inkwarden".
std::string applicationObjectPath(std::string_view applicationId);

// Hands `url` to the application. Returns at once; the work completes on the thread-default main
// context. Failures are logged at debug level only: the file manager shows nothing.
void deliverHandoffUrl(std::string url);

}
