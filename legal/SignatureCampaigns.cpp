#include "legal/SignatureCampaigns.h"

#include "app/Globals.h"
#include "app/MenuCommands.h"
#include "library/LibraryLayer.h"
#include "library/WindowLookup.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"
#include "review/EngineLocator.h"
#include "review/EnginePageURL.h"
#include "review/EngineRunner.h"
#include "review/PageInjection.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <filesystem>
#include <system_error>

namespace ikw::legal {

namespace {

Json errorForm(const std::string& version, std::string_view message)
{
    return Json { { "ver", version }, { "error", message } };
}

// The answer's `error` when it is a non-empty text.
std::optional<std::string> errorText(const Json& answer)
{
    const auto found = answer.find("error");
    if (found == answer.end() || !found->is_string() || found->get_ref<const std::string&>().empty())
        return std::nullopt;
    return found->get<std::string>();
}

bool campaignFileExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

}

std::string campaignsHTMLPath()
{
    return enginePath("app/campaigns.html", "campaigns.html");
}

std::optional<std::string> campaignsURL(const std::string& file, const std::string& version, const std::string& theme)
{
    return enginePageURL(campaignsHTMLPath(), { { "file", file }, { "ver", version }, { "theme", theme } });
}

Json campaignInit(std::string_view answer, const std::string& file, const std::string& version)
{
    const auto parsed = parseJson(answer);
    if (!parsed || !parsed->is_object())
        return errorForm(version, campaignNoAnswerMessage);
    if (const auto error = errorText(*parsed))
        return errorForm(version, *error);
    const auto rollup = parsed->find("rollup");
    if (rollup == parsed->end())
        return errorForm(version, campaignNoRollupMessage);
    return Json { { "ver", version }, { "file", file }, { "rollup", *rollup } };
}

std::optional<std::string> sampleCampaignError(std::string_view answer)
{
    const auto parsed = parseJson(answer);
    if (!parsed || !parsed->is_object())
        return std::nullopt;
    return errorText(*parsed);
}

SignatureCampaigns::SignatureCampaigns(CampaignServices services)
    : m_services(std::move(services))
{
}

// Opening ----------------------------------------------------------------------------------

void SignatureCampaigns::openCampaigns()
{
    ui::FilePanelOptions panel;
    panel.prompt = "Open";
    panel.message = "Choose a signature campaign to open";
    panel.extensions = { "ikwcampaign", "json" };
    m_services.dialogs->openPanel(nullptr, panel, [weak = weak_from_this()](std::optional<std::vector<std::string>> chosen) {
        const auto self = weak.lock();
        if (self && chosen && !chosen->empty())
            self->openCampaignFile(chosen->front());
    });
}

void SignatureCampaigns::openCampaignFile(const std::string& path, std::shared_ptr<ReviewWC> into)
{
    const auto layer = m_services.library ? m_services.library() : nullptr;
    if (!layer)
        return;
    layer->openers().recordRecent({ path });
    const auto window = into ? std::move(into) : layer->openers().windowForDocument();
    window->hasContent = true;
    window->isCampaign = true;
    window->isBates = false;
    window->isOrganize = false;
    window->isReader = false;
    window->sourcePaths = { path };
    window->window().present();
    const std::string theme = m_services.resolvedScheme ? m_services.resolvedScheme() : std::string("light");
    if (const auto url = campaignsURL(path, globals().appInfo.shortVersion, theme))
        window->web->loadUrl(*url);
}

// A sample --------------------------------------------------------------------------------

void SignatureCampaigns::newSampleCampaign()
{
    ui::FilePanelOptions panel;
    panel.prompt = "Create";
    panel.message = "Create a sample signature campaign (synthetic data, nothing is sent to anyone)";
    panel.suggestedName = "Sample campaign.ikwcampaign";
    panel.extensions = { "ikwcampaign" };
    m_services.dialogs->savePanel(nullptr, panel, [weak = weak_from_this()](std::optional<std::string> chosen) {
        const auto self = weak.lock();
        const auto layer = self && self->m_services.library ? self->m_services.library() : nullptr;
        if (!layer || !chosen || chosen->empty())
            return;
        // The window is taken before the script runs, so the page appears where the user expects.
        const auto key = library::keyReview(layer->windows());
        const auto window = layer->openers().windowForDocument();
        const bool createdForRun = window != key;
        runOrganize({ "demo", "--out", *chosen }, kCampaignsScript, {},
            [weak, path = *chosen, target = std::weak_ptr(window), createdForRun](const std::string& answer) {
                if (const auto campaigns = weak.lock())
                    campaigns->sampleAnswered(answer, path, target, createdForRun);
            });
    });
}

void SignatureCampaigns::sampleAnswered(const std::string& answer, const std::string& path, const std::weak_ptr<ReviewWC>& window,
    bool createdForRun)
{
    auto target = window.lock();
    if (target && target->isClosed())
        target = nullptr;
    if (const auto error = sampleCampaignError(answer)) {
        ui::AlertContent alert;
        alert.message = sampleCampaignFailedMessage;
        alert.informativeText = *error;
        m_services.dialogs->alert(nullptr, alert, {});
        // A window made only for this sample would otherwise keep its loading page for good; an
        // empty window that was reused stays as it was.
        if (target && createdForRun && !target->hasContent)
            target->closeTab();
        return;
    }
    openCampaignFile(path, std::move(target));
}

// The page's requests ----------------------------------------------------------------------

void SignatureCampaigns::campaignSend(const UrlAction& action, bool pull)
{
    const std::string path = action.window.sourcePaths.empty() ? std::string() : action.window.sourcePaths.front();
    const std::string version = globals().appInfo.shortVersion;
    if (!campaignFileExists(path)) {
        orgInject(action.web(), "ikwCampaignInit", errorForm(version, campaignUnopenableMessage));
        return;
    }
    runOrganize({ pull ? "refresh" : "status", "--file", path }, kCampaignsScript, {},
        [window = action.window.weak_from_this(), web = std::weak_ptr(action.window.web), path, version](const std::string& answer) {
            const auto controller = window.lock();
            const auto view = web.lock();
            if (!controller || controller->isClosed() || !view)
                return;
            orgInject(*view, "ikwCampaignInit", campaignInit(answer, path, version));
        });
}

// Registration -----------------------------------------------------------------------------

void registerActions(UrlActions& actions, std::weak_ptr<SignatureCampaigns> campaigns)
{
    actions.add("campaignready", [campaigns](const UrlAction& action) {
        if (const auto shown = campaigns.lock())
            shown->campaignSend(action, false);
    });
    actions.add("campaignrefresh", [campaigns](const UrlAction& action) {
        if (const auto shown = campaigns.lock())
            shown->campaignSend(action, true);
    });
}

void registerMenuCommands(MenuCommands& commands, std::weak_ptr<SignatureCampaigns> campaigns)
{
    commands.add("openCampaigns:", [campaigns](const MenuUse&) {
        if (const auto shown = campaigns.lock())
            shown->openCampaigns();
    });
    commands.add("newSampleCampaign:", [campaigns](const MenuUse&) {
        if (const auto shown = campaigns.lock())
            shown->newSampleCampaign();
    });
}

}
