#include "crossdoc/VisualCompare.h"

#include "app/Globals.h"
#include "app/PageTemplates.h"
#include "crossdoc/VisualDiffAnswer.h"
#include "library/DocumentKinds.h"
#include "library/LibraryLayer.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/core/WorkQueue.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/PageScript.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::crossdoc {

namespace {

constexpr unsigned kDiffWorkerCount = 2;

ui::FilePanelOptions pdfPanel(std::string message, bool several)
{
    ui::FilePanelOptions panel;
    panel.prompt = "Compare";
    panel.message = std::move(message);
    panel.extensions = { "pdf" };
    panel.chooseFiles = true;
    panel.chooseDirectories = false;
    panel.allowsMultiple = several;
    return panel;
}

std::optional<std::string> pagePathItem(const UrlAction& action, const char* name)
{
    return checkedPagePath(action.item(name), PathNeed::Absolute);
}

}

VisualCompare::VisualCompare(ui::Dialogs& dialogs, library::LibraryLookup library, DiffFunction diff)
    : m_dialogs(dialogs)
    , m_library(std::move(library))
    , m_diff(diff ? std::move(diff) : DiffFunction([](const std::string& a, const std::string& b, long long pageIndex) {
        return visualDiffPage(a, b, pageIndex);
    }))
    , m_diffWorkers(std::make_unique<WorkQueue>("com.norvale.inkwarden.visualdiff", kDiffWorkerCount))
{
}

VisualCompare::~VisualCompare()
{
    m_ending->store(true);
    m_diffWorkers.reset();
}

// Choosing ---------------------------------------------------------------------------------

void VisualCompare::pickVisualCompare()
{
    auto panel = pdfPanel("Choose two PDFs to compare visually, page by page (Ctrl-click to select both).", true);
    panel.title = "Visual Compare";
    m_dialogs.openPanel(nullptr, panel, [weak = weak_from_this()](std::optional<std::vector<std::string>> chosen) {
        const auto self = weak.lock();
        if (!self || !chosen || chosen->empty())
            return;
        if (chosen->size() >= 2)
            self->openVisualCompareDocs((*chosen)[0], (*chosen)[1]);
        else
            self->askForSecond(chosen->front());
    });
}

void VisualCompare::askForSecond(const std::string& first)
{
    const auto panel = pdfPanel("Choose the second PDF to compare against " + lastPathComponent(first), false);
    m_dialogs.openPanel(nullptr, panel, [weak = weak_from_this(), first](std::optional<std::vector<std::string>> chosen) {
        const auto self = weak.lock();
        if (self && chosen && !chosen->empty())
            self->openVisualCompareDocs(first, chosen->front());
    });
}

// The page ---------------------------------------------------------------------------------

void VisualCompare::openVisualCompareDocs(const std::string& pathA, const std::string& pathB)
{
    const auto layer = m_library();
    if (!layer)
        return;
    layer->openers().recordRecent({ pathA, pathB });
    FileSystem& files = realFileSystem();
    const std::string& folder = globals().archive;
    // A page that cannot be written shows as missing in its tab; the tab opens all the same.
    (void)files.createDirectories(folder);
    const std::string page = joinPath(folder, ".vdiff-" + makeUuid() + ".html");
    (void)files.replaceFile(page, fillVisualDiffPage(globals().visualDiffHTML, pathA, pathB));

    const auto window = layer->openers().windowForDocument();
    window->hasContent = true;
    window->sourcePaths = { pathA, pathB };
    window->web->loadFile(page);
    window->window().present();
}

void VisualCompare::handleWorkbenchCompare(const UrlAction& action)
{
    const auto a = pagePathItem(action, "a");
    const auto b = pagePathItem(action, "b");
    if (!a || !b)
        return;
    if (library::lowerExtension(*a) == "pdf" && library::lowerExtension(*b) == "pdf") {
        openVisualCompareDocs(*a, *b);
        return;
    }
    if (const auto layer = m_library())
        layer->openers().openReviewDirect({ *a, *b }, "compare");
}

// Page pairs -------------------------------------------------------------------------------

void VisualCompare::sendVisualDiff(const UrlAction& action)
{
    const auto a = pagePathItem(action, "a");
    const auto b = pagePathItem(action, "b");
    // Checked before subtracting, so the lowest integer never wraps around.
    const auto page = parseQueryInteger(action.item("page").value_or("1"));
    if (!a || !b || !page || *page < 1)
        return;
    m_diffWorkers->post([diff = m_diff, ending = m_ending, a = *a, b = *b, index = *page - 1,
                            window = action.window.weak_from_this(), web = std::weak_ptr<ui::WebView>(action.window.web)] {
        // A request whose tab has closed before its turn is not worth rendering.
        if (ending->load() || web.expired())
            return;
        const auto answer = diff(a, b, index);
        if (!answer)
            return;
        std::string script = ui::guardedCall("ikwVisualDiff", toJson(*answer));
        mainQueue().post([script = std::move(script), window, web] {
            const auto shown = window.lock();
            const auto view = web.lock();
            if (shown && !shown->isClosed() && view)
                view->evaluate(script);
        });
    });
}

}
