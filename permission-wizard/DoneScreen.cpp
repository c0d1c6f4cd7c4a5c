#include "permission-wizard/DoneScreen.h"

namespace ikw::wizard {

std::string doneMessage(std::string_view productName, const std::vector<std::string>& outstandingTitles)
{
    const std::string name(productName);
    if (outstandingTitles.empty())
        return name + " has everything it needs.";

    std::string titles = outstandingTitles.front();
    for (std::size_t i = 1; i < outstandingTitles.size(); ++i)
        titles += " and " + outstandingTitles[i];
    const std::string tail = outstandingTitles.size() == 1
        ? "is still off, and the features that need it stay hidden until it is on."
        : "are still off, and the features that need them stay hidden until they are on.";
    return name + " works now. " + titles + " " + tail;
}

std::vector<KDPermission> DoneScreen::outstanding() const
{
    std::vector<KDPermission> off;
    for (const auto& permission : permissions) {
        if (!isGrantedIn(granted, permission.id))
            off.push_back(permission);
    }
    return off;
}

std::string DoneScreen::title() const { return outstanding().empty() ? "All set." : "Ready when you are."; }

std::string DoneScreen::message() const
{
    std::vector<std::string> titles;
    for (const auto& permission : outstanding())
        titles.push_back(permission.title);
    return doneMessage(product.name, titles);
}

std::string DoneScreen::footnote() const
{
    return "Change these any time in " + product.name + " Settings, or in Settings › Privacy & Security.";
}

}
