#include "finder-extension/InkwardenFinderSync.h"

#include "finder-extension/ExtensionNames.h"
#include "finder-extension/HandoffDelivery.h"

#include <gio/gdesktopappinfo.h>

#include <algorithm>
#include <cctype>

namespace ikw::finderext {

std::string_view actionName(HandoffAction action)
{
    return action == HandoffAction::Share ? "share" : "open";
}

std::string_view actionTitle(HandoffAction action)
{
    return action == HandoffAction::Share ? kShareTitle : kOpenTitle;
}

namespace InkwardenFinderSync {

bool isShareable(std::string_view name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    const auto extension = name.substr(dot + 1);
    constexpr std::string_view pdf = "pdf";
    return std::equal(extension.begin(), extension.end(), pdf.begin(), pdf.end(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

Selection shareable(const Selection& selection)
{
    Selection kept;
    std::copy_if(selection.begin(), selection.end(), std::back_inserter(kept),
        [](const SelectedItem& item) { return isShareable(item.name); });
    return kept;
}

std::vector<HandoffAction> menuFor(const Selection& selection)
{
    if (selection.empty())
        return {};
    const bool anyShareable = std::any_of(selection.begin(), selection.end(),
        [](const SelectedItem& item) { return isShareable(item.name); });
    if (anyShareable)
        return { HandoffAction::Share, HandoffAction::Open };
    return { HandoffAction::Open };
}

std::optional<std::string> handoffFor(HandoffAction action, const Selection& selection)
{
    const auto chosen = action == HandoffAction::Share ? shareable(selection) : selection;
    return handoffUrl(actionName(action), localPaths(chosen));
}

void launch(HandoffAction action, const Selection& selection)
{
    if (auto url = handoffFor(action, selection))
        deliverHandoffUrl(std::move(*url));
}

const std::optional<std::string>& appMark()
{
    static const std::optional<std::string> mark = desktopEntryIcon(kDesktopEntryId);
    return mark;
}

}

std::optional<std::string> desktopEntryIcon(std::string_view desktopId)
{
    const std::string id(desktopId);
    g_autoptr(GDesktopAppInfo) entry = g_desktop_app_info_new(id.c_str());
    GIcon* icon = entry ? g_app_info_get_icon(G_APP_INFO(entry)) : nullptr;
    g_autofree char* text = icon ? g_icon_to_string(icon) : nullptr;
    if (!text || !*text)
        return std::nullopt;
    return std::string(text);
}

}
