#include "assistants/Organizer.h"

#include "app/Globals.h"
#include "assistants/FolderDocuments.h"
#include "assistants/OrganizePage.h"
#include "assistants/OrganizeProgress.h"
#include "docops/ConfirmationGate.h"
#include "library/LibraryLayer.h"
#include "platform/core/FileSystem.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/core/WriteAll.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WebView.h"
#include "review/EngineRunner.h"
#include "review/PageInjection.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::assistants {

namespace {

constexpr const char* kPanelMessage = "Choose a folder of documents to organize with AI (on-device)";
constexpr const char* kNothingChanged = "Nothing was changed.";
constexpr const char* kCouldNotStage = "Could not stage the plan.";

// The runner's answer is a JSON object or array, so it goes into the call as it stands.
std::string answerScript(const std::string& function, const std::string& answer)
{
    return "if(window." + function + ")try{" + function + "(" + answer + ")}catch(e){}";
}

// The folder an action is about: its `folder` item, else the tab's first source.
std::string folderOf(const UrlAction& action)
{
    if (auto folder = action.item("folder"))
        return *folder;
    return action.window.sourcePaths.empty() ? std::string() : action.window.sourcePaths.front();
}

std::string fileCountText(long long count)
{
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

docops::FileOpQuestion organizeQuestion(const std::string& folder, long long fileCount)
{
    const std::string name = "\u201C" + folderDisplayName(folder) + "\u201D";
    return docops::FileOpQuestion {
        .action = "organize",
        .verb = "Organize",
        .title = "Organize " + name + "?",
        .message = "Inkwarden will create folders and move or rename " + fileCountText(fileCount) + " in " + name
            + ". Every change is logged and can be undone in one click.",
    };
}

}

// The tab that asked, held weakly: its answers are dropped once either part is gone.
struct Organizer::Target {
    std::weak_ptr<ReviewWC> window;
    std::weak_ptr<ui::WebView> web;

    explicit Target(ReviewWC& of) : window(of.weak_from_this()), web(of.web) {}

    std::shared_ptr<ui::WebView> liveView() const
    {
        const auto tab = window.lock();
        return tab && !tab->isClosed() ? web.lock() : nullptr;
    }
    void sendError(const std::string& message) const
    {
        if (const auto view = liveView())
            orgInject(*view, "ikwOrgApplied", Json { { "error", message } });
    }
};

Organizer::Organizer(OrganizerServices services)
    : m_services(std::move(services))
{
}

// Opening ----------------------------------------------------------------------------------

void Organizer::openOrganize()
{
    if (!m_services.pageOps.toolkit)
        return;
    ui::FilePanelOptions panel;
    panel.prompt = "Organize";
    panel.message = kPanelMessage;
    panel.chooseFiles = false;
    panel.chooseDirectories = true;
    panel.allowsMultiple = false;
    m_services.pageOps.toolkit->dialogs().openPanel(nullptr, panel, [weak = weak_from_this()](std::optional<std::vector<std::string>> chosen) {
        if (const auto self = weak.lock(); self && chosen && !chosen->empty())
            self->openOrganizeFolder(chosen->front());
    });
}

void Organizer::openOrganizeFolder(const std::string& folder)
{
    const auto layer = m_services.library ? m_services.library() : nullptr;
    if (!layer)
        return;
    auto& openers = layer->openers();
    openers.recordRecent({ folder });
    const auto window = openers.windowForDocument();
    window->hasContent = true;
    window->isOrganize = true;
    window->isReader = false;
    window->isGrid = false;
    window->sourcePaths = { folder };
    openers.showDocumentChrome(*window, folder);
    const std::string theme = m_services.resolvedScheme ? m_services.resolvedScheme() : std::string("light");
    if (const auto url = organizeURL(folder, theme))
        window->web->loadUrl(*url);
}

void Organizer::handleOrganize(const UrlAction& action)
{
    if (const auto folder = checkedPagePath(action.item("dir"), PathNeed::Existing))
        openOrganizeFolder(*folder);
    else
        openOrganize();
}

// The page's actions ---------------------------------------------------------------------------

void Organizer::organizeInit(const UrlAction& action)
{
    orgInject(action.web(), "ikwOrgInit", organizeInitPayload(folderOf(action), globals().appInfo.shortVersion));
}

void Organizer::organizePlan(const UrlAction& action)
{
    // The folder becomes an argument of the script: only an absolute path, never an option.
    const auto folder = checkedPagePath(folderOf(action), PathNeed::Absolute);
    if (!folder)
        return;
    const auto documentCount = static_cast<long long>(organizeDocList(*folder).size());
    const Target target(action.window);
    runOrganize({ "plan", "--folder", *folder }, kOrganizeScript,
        [target, documentCount](const std::string& line) {
            if (const auto view = target.liveView())
                view->evaluate(organizeProgressScript(planProgress(line, documentCount)));
        },
        [web = target.web](const std::string& answer) {
            if (const auto view = web.lock())
                view->evaluate(answerScript("ikwOrgPlan", answer));
        });
}

void Organizer::organizeApply(const UrlAction& action)
{
    const std::string folder = folderOf(action);
    const long long fileCount = queryInteger(action.url, "n").value_or(0);
    const Target target(action.window);
    action.web().evaluate("window.__ikwOrgApprove || ''",
        [weak = weak_from_this(), target, folder, fileCount](ui::ScriptResult result) {
            const auto self = weak.lock();
            const auto window = target.window.lock();
            if (!self || !window || !target.liveView())
                return;
            if (!result.value || !result.value->is_string() || result.value->get<std::string>().empty())
                return;
            self->confirmAndApply(*window, folder, fileCount, result.value->get<std::string>());
        });
}

void Organizer::confirmAndApply(ReviewWC& window, const std::string& folder, long long fileCount, std::string plan)
{
    const Target target(window);
    docops::confirmFileOp(docops::makeReviewFileOpHost(window, m_services.pageOps), organizeQuestion(folder, fileCount),
        [weak = weak_from_this(), target, plan = std::move(plan)] {
            if (const auto self = weak.lock())
                self->applyPlan(target, plan);
        },
        [target] { target.sendError(kNothingChanged); });
}

void Organizer::applyPlan(const Target& target, const std::string& plan)
{
    const auto staged = stagePlan(plan);
    if (!staged) {
        target.sendError(kCouldNotStage);
        return;
    }
    runOrganize({ "apply", "--plan", *staged }, kOrganizeScript,
        [target](const std::string& line) {
            if (const auto view = target.liveView())
                view->evaluate(organizeProgressScript(applyProgress(line)));
        },
        [web = target.web, staged = *staged](const std::string& answer) {
            (void)realFileSystem().removeFile(staged);
            if (const auto view = web.lock())
                view->evaluate(answerScript("ikwOrgApplied", answer));
        });
}

// A new file only this user can read, under a name nobody can guess or have made beforehand.
std::optional<std::string> Organizer::stagePlan(const std::string& plan) const
{
    const auto folder = m_services.stagingFolder ? m_services.stagingFolder() : privateTemporaryFolder(globals().paths, kProductFolderName);
    if (!folder)
        return std::nullopt;
    auto file = createTemporaryFile(*folder, "iworg-approve-", ".json");
    if (!file)
        return std::nullopt;
    if (!writeAll(file->fd.get(), plan)) {
        (void)realFileSystem().removeFile(file->path);
        return std::nullopt;
    }
    return file->path;
}

void Organizer::organizeUndo(const UrlAction& action)
{
    const auto manifest = checkedPagePath(action.item("manifest"), PathNeed::Absolute);
    if (!manifest)
        return;
    runOrganize({ "undo", "--manifest", *manifest }, kOrganizeScript, {},
        [web = std::weak_ptr<ui::WebView>(action.window.web)](const std::string& answer) {
            if (const auto view = web.lock())
                view->evaluate(answerScript("ikwOrgUndone", answer));
        });
}

}
