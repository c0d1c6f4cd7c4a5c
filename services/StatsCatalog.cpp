#include "services/StatsCatalog.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

namespace ikw::services::Stats {

namespace {

constexpr std::array<std::string_view, 43> knownFeatures {
    "share.menu", "share.contextmenu", "share.toolbar", "share.finderservice", "share.signin_required",
    "share.signin_done", "share.signin_cancelled", "share.uploaded", "share.failed", "share.link_copied",
    "shares.open", "account.signin", "account.signout", "doc.open", "doc.compare", "doc.timeline", "doc.grid",
    "doc.search", "doc.print", "doc.edit", "doc.redact", "doc.bates", "doc.shrink", "doc.ask", "folder.review",
    "folder.sort", "folder.rank", "folder.organize", "reader.annotate", "reader.readaloud", "reader.toc",
    "settings.open", "pair.open", "history.open", "history.as_library", "open.consolidated", "history.fav",
    "history.unfav", "history.pin", "history.unpin", "history.covers", "tab.reopen", "tab.reopen_empty",
};

constexpr std::array<std::string_view, 5> shareSteps { "invoked", "signin", "rendered", "uploaded", "copied" };

template<std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

}

bool isKnownFeature(std::string_view id)
{
    return contains(knownFeatures, id);
}

bool isKnownStep(std::string_view flow, std::string_view step)
{
    return flow == "share" && contains(shareSteps, step);
}

std::string appKey(std::string_view applicationIdentifier)
{
    if (applicationIdentifier == "com.norvale.inkwarden")
        return "inkwarden-mac";
    if (applicationIdentifier == "com.norvale.culmoraphotos")
        return "culmora-photos-mac";
    // The piece after the last dot; "com.acme." ends in an empty piece and gets the default.
    const std::size_t dot = applicationIdentifier.rfind('.');
    const std::string_view last = dot == std::string_view::npos ? applicationIdentifier : applicationIdentifier.substr(dot + 1);
    return last.empty() ? std::string("inkwarden-mac") : std::string(last) + "-mac";
}

std::string dayKey(UnixTime time)
{
    const std::time_t seconds = static_cast<std::time_t>(std::floor(time));
    std::tm local {};
    if (!::localtime_r(&seconds, &local))
        return {};
    // Digits and dashes only, so the locale cannot change the text.
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return std::string(text, length);
}

}
