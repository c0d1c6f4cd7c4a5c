#include "assistants/AskDocuments.h"

#include "app/Globals.h"
#include "assistants/FolderDocuments.h"
#include "assistants/OrganizePage.h"
#include "library/LibraryLayer.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WebView.h"
#include "review/PagePath.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <algorithm>

namespace ikw::assistants {

namespace {

constexpr const char* kPickerMessage
    = "Choose a document \u2014 or a folder to search across every file in it \u2014 answered privately on your computer. PDF, Word, or text.";

std::string asciiUppercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
    return text;
}

bool isDocumentMode(const std::string& mode)
{
    return mode == "ask" || mode == "summarize" || mode == "terms";
}

// The engine's answer is a JSON object or array, so it goes into the call as it stands.
std::function<void(const std::string&)> answerTo(std::weak_ptr<ui::WebView> web, std::string head)
{
    return [web = std::move(web), head = std::move(head)](const std::string& reply) {
        if (const auto view = web.lock())
            view->evaluate(head + reply + ")}catch(e){}");
    };
}

}

const std::set<std::string>& askDocExts()
{
    static const std::set<std::string> table { "pdf", "doc", "docx", "txt", "md", "rtf", "pages", "key", "ppt", "pptx",
        "xls", "xlsx", "csv", "html", "htm" };
    return table;
}

AskPageScope askPageScope(const std::string& path)
{
    AskPageScope scope;
    scope.path = path;
    scope.name = folderDisplayName(path);
    scope.isFolder = realFileSystem().isDirectory(path);
    if (!scope.isFolder)
        return scope;
    const auto names = documentNamesIn(path, askDocExts());
    scope.count = static_cast<long long>(names.size());
    const auto shown = std::min(names.size(), kAskPageFileLimit);
    for (std::size_t i = 0; i < shown; ++i)
        scope.files.push_back({ names[i], asciiUppercase(pathExtension(names[i])) });
    return scope;
}

AskDocuments::AskDocuments(AskServices services)
    : m_services(std::move(services))
{
}

void AskDocuments::pickAskDoc()
{
    if (!m_services.dialogs)
        return;
    ui::FilePanelOptions panel;
    panel.title = "Ask a Document or Folder";
    panel.prompt = "Ask";
    panel.message = kPickerMessage;
    panel.chooseFiles = true;
    panel.chooseDirectories = true;
    panel.allowsMultiple = false;
    m_services.dialogs->openPanel(nullptr, panel, [weak = weak_from_this()](std::optional<std::vector<std::string>> chosen) {
        if (const auto self = weak.lock(); self && chosen && !chosen->empty())
            self->openAsk(chosen->front());
    });
}

void AskDocuments::openAsk(const std::string& path)
{
    const auto layer = m_services.library ? m_services.library() : nullptr;
    if (!layer)
        return;
    auto& openers = layer->openers();
    openers.recordRecent({ path });
    FileSystem& files = realFileSystem();
    const std::string& folder = globals().archive;
    // A page that cannot be written shows as missing in its tab; the tab opens all the same.
    (void)files.createDirectories(folder);
    const std::string page = joinPath(folder, ".ask-" + makeUuid() + ".html");
    (void)files.replaceFile(page, fillAskPage(globals().askHTML, askPageScope(path)));

    const auto window = openers.windowForDocument();
    window->hasContent = true;
    window->sourcePaths = { path };
    window->web->loadFile(page);
    window->window().present();
}

void AskDocuments::handleAI(const UrlAction& action)
{
    const auto item = [&action](const char* name) { return action.item(name).value_or(std::string()); };
    const std::string mode = item("mode");
    std::weak_ptr<ui::WebView> web = action.window.web;
    if (mode == "status") {
        run({ "status" }, answerTo(std::move(web), "if(window.iwStatus)try{iwStatus("));
        return;
    }
    // The document becomes an argument of the script: only an absolute path, never an option.
    const auto doc = checkedPagePath(item("doc"), PathNeed::Absolute);
    if (!doc || !isDocumentMode(mode))
        return;
    std::vector<std::string> arguments { mode, "--doc", *doc };
    if (mode == "ask") {
        arguments.push_back("--q");
        arguments.push_back(item("q"));
    }
    run(std::move(arguments), answerTo(std::move(web), "if(window.iwReply)try{iwReply(" + jsQuote(item("id")) + ","));
}

void AskDocuments::run(std::vector<std::string> arguments, EngineAnswer completion) const
{
    if (m_services.runAI)
        m_services.runAI(std::move(arguments), std::move(completion));
    else
        runAI(std::move(arguments), std::move(completion));
}

}
