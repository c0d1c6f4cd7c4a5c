#pragma once

#include "library/LibraryActions.h"
#include "platform/core/Json.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {
class MenuCommands;
class ReviewWC;
class UrlActions;
struct UrlAction;
namespace ui {
class Dialogs;
}
}

namespace ikw::legal {

inline constexpr const char* kCampaignsScript = "inkwarden_campaigns.py";
inline constexpr std::string_view campaignUnopenableMessage = "That campaign file could not be opened.";
inline constexpr std::string_view campaignNoAnswerMessage = "The campaign engine did not answer.";
inline constexpr std::string_view campaignNoRollupMessage = "The campaign engine returned no rollup.";
inline constexpr std::string_view sampleCampaignFailedMessage = "The sample campaign could not be created.";

// The engine's campaigns page: the per-user engine's copy when there is one, else the bundle's.
std::string campaignsHTMLPath();
// The page's address for a campaign file: items `file`, `ver`, then `theme`.
std::optional<std::string> campaignsURL(const std::string& file, const std::string& version, const std::string& theme);

// What ikwCampaignInit is given for the script's answer to `status` or `refresh`: {ver, file,
// rollup} when the answer is an object with a `rollup` key (null included) and no error text,
// else {ver, error}. An error text wins over a rollup in the same answer.
Json campaignInit(std::string_view answer, const std::string& file, const std::string& version);
// The error text of the script's answer to `demo`; none when the sample was made (an answer that
// is not an object, or whose `error` is missing, empty or not text, counts as made).
std::optional<std::string> sampleCampaignError(std::string_view answer);

struct CampaignServices {
    library::LibraryLookup library;
    ui::Dialogs* dialogs = nullptr;
    // "dark" or "light", for the page's `theme` item.
    std::function<std::string()> resolvedScheme;
};

// Signature campaigns: campaign files open on the engine's campaigns page, whose requests for the
// rollup are answered by the engine's campaigns script; the native side never reads a campaign
// file itself. One per application; main thread only.
class SignatureCampaigns : public std::enable_shared_from_this<SignatureCampaigns> {
public:
    explicit SignatureCampaigns(CampaignServices services);
    SignatureCampaigns(const SignatureCampaigns&) = delete;
    SignatureCampaigns& operator=(const SignatureCampaigns&) = delete;

    // The menu command: a panel for one campaign (or JSON) file that blocks nothing.
    void openCampaigns();
    // The menu command: asks where, has the script write a sample there and opens it.
    void newSampleCampaign();
    // Shows the campaigns page for `path` in `into`, else in a window by the generated-page tab rule.
    void openCampaignFile(const std::string& path, std::shared_ptr<ReviewWC> into = nullptr);
    // "campaignready" (pull false: `status`) and "campaignrefresh" (pull true: `refresh`): the
    // script's rollup, or what went wrong, to the page's ikwCampaignInit.
    void campaignSend(const UrlAction& action, bool pull);

private:
    void sampleAnswered(const std::string& answer, const std::string& path, const std::weak_ptr<ReviewWC>& window, bool createdForRun);

    CampaignServices m_services;
};

// The page actions "campaignready" and "campaignrefresh"; nothing once the campaigns are gone.
void registerActions(UrlActions& actions, std::weak_ptr<SignatureCampaigns> campaigns);
// The menu commands "openCampaigns:" and "newSampleCampaign:".
void registerMenuCommands(MenuCommands& commands, std::weak_ptr<SignatureCampaigns> campaigns);

}
