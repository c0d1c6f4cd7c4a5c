#pragma once

#include "platform/core/Json.h"
#include "review/ActionTable.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {

class ReviewWC;
namespace ui {
class Clipboard;
}

// One message a review page posted on the "inkwarden" channel.
struct ScriptMessage {
    ReviewWC& window;
    const Json& body;

    // The key's value when it is text.
    std::optional<std::string> text(std::string_view key) const;
};

// The messages' table, by their "action"; features add their own (the account adds its sign-in
// and sign-out once it exists).
class ScriptMessages : public ActionTable<ScriptMessage> {
public:
    ScriptMessages() : ActionTable("script messages") {}

    // Runs the body's action; a body that is not an object or has no text "action" is dropped.
    void receive(ReviewWC& window, const Json& body);
};

// The clipboard may only ever receive a share link: an absolute https address with a host, of at
// most this many user-perceived characters.
inline constexpr std::size_t kClipboardLinkLimit = 2048;
bool isCopyableShareLink(std::string_view text);

// "clipboard": copies the share link and tells the page whether the copy took.
void registerClipboardMessage(ScriptMessages& messages, ui::Clipboard& clipboard);

// Where page statistics go; the statistics service fills it.
struct StatSink {
    std::function<void(const std::string& id)> record;
    std::function<void(const std::string& flow, const std::string& step)> funnel;
};
// "stat": an "id" is recorded, then a "flow" with its "step" counted; a part missing is skipped.
void registerStatMessage(ScriptMessages& messages, StatSink sink);

}
