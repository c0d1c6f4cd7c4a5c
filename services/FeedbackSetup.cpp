#include "services/FeedbackSetup.h"

#include "services/Feedback.h"
#include "services/HexColor.h"

namespace ikw::services {

std::string feedbackAppKey(std::string_view applicationId)
{
    if (applicationId == "com.norvale.inkwarden")
        return "inkwarden";
    if (applicationId == "com.norvale.culmoraphotos")
        return "culmora-photos";
    return "";
}

void setupFeedback(const Globals& globals)
{
    Feedback::setAppKey(feedbackAppKey(globals.appInfo.identifier));
    Feedback::setSnapshotAttachedByDefault(false);
    Feedback::setIngestKey(std::string(kFeedbackIngestKey));
    Feedback::setProductName(globals.brand.name);
    if (globals.brand.paletteAccent) {
        if (const auto accent = colorFromHexString(*globals.brand.paletteAccent))
            Feedback::setAccentColor(accent);
    }
}

}
