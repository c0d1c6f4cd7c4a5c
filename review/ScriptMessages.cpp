#include "review/ScriptMessages.h"

#include "platform/core/TextMetrics.h"
#include "platform/ui/Desktop.h"
#include "review/ReviewWC.h"

#include <glib.h>

namespace ikw {

std::optional<std::string> ScriptMessage::text(std::string_view key) const
{
    const auto value = body.find(std::string(key));
    if (value == body.end() || !value->is_string())
        return std::nullopt;
    return value->get<std::string>();
}

void ScriptMessages::receive(ReviewWC& window, const Json& body)
{
    if (!body.is_object())
        return;
    const ScriptMessage message { window, body };
    if (const auto action = message.text("action"))
        dispatch(*action, message);
}

bool isCopyableShareLink(std::string_view text)
{
    // A NUL would end the link early for the parser but not for the clipboard.
    if (text.empty() || text.find('\0') != std::string_view::npos || graphemeCount(text) > kClipboardLinkLimit)
        return false;
    GUri* parsed = g_uri_parse(std::string(text).c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!parsed)
        return false;
    const char* scheme = g_uri_get_scheme(parsed);
    const char* host = g_uri_get_host(parsed);
    const bool ok = scheme && g_ascii_strcasecmp(scheme, "https") == 0 && host && *host;
    g_uri_unref(parsed);
    return ok;
}

void registerClipboardMessage(ScriptMessages& messages, ui::Clipboard& clipboard)
{
    messages.add("clipboard", [&clipboard](const ScriptMessage& message) {
        const std::string text = message.text("text").value_or("");
        bool copied = false;
        if (isCopyableShareLink(text)) {
            clipboard.setText(text);
            copied = clipboard.text() == text;
        }
        message.window.evaluate(std::string("window.InkwardenShareOnline&&InkwardenShareOnline._copyDone&&InkwardenShareOnline._copyDone(")
            + (copied ? "true" : "false") + ");");
    });
}

void registerStatMessage(ScriptMessages& messages, StatSink sink)
{
    messages.add("stat", [sink = std::move(sink)](const ScriptMessage& message) {
        if (const auto id = message.text("id"); id && sink.record)
            sink.record(*id);
        const auto flow = message.text("flow");
        const auto step = message.text("step");
        if (flow && step && sink.funnel)
            sink.funnel(*flow, *step);
    });
}

}
