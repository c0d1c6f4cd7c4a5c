#include "crossdoc/CompareIntake.h"

#include "app/Globals.h"
#include "library/DocumentKinds.h"
#include "library/LibraryLayer.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <algorithm>
#include <iterator>

namespace ikw::crossdoc {

namespace {

constexpr const char* kIntakeTitle = "Compare Documents";

ui::FilePanelOptions slotPanel(const std::string& slot)
{
    ui::FilePanelOptions panel;
    panel.prompt = "Choose";
    panel.message = std::string("Choose the ") + (slot == "b" ? "newer (B)" : "older (A)") + " document. PDF, Word, or text.";
    panel.chooseFiles = true;
    panel.chooseDirectories = false;
    panel.allowsMultiple = false;
    return panel;
}

}

std::string compareSetScript(std::string_view slot, const std::string& path)
{
    // Unguarded by try, so a page without the function simply ignores it; the values are full
    // JavaScript string literals, so no file name can end the call early.
    return "if(window.ikwCompareSet)ikwCompareSet('" + std::string(slot) + "'," + jsQuote(path) + "," + jsQuote(lastPathComponent(path)) + ")";
}

std::vector<SlotFill> compareIntakeSlots(const std::vector<std::string>& paths, DropPoint point)
{
    std::vector<std::string> documents;
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(documents), [](const std::string& path) { return !library::isDirectoryPath(path); });
    if (documents.empty())
        return {};
    if (documents.size() >= 2)
        return { { "a", documents[0] }, { "b", documents[1] } };
    const double middle = point.viewWidth / 2;
    return { { point.x < middle ? "a" : "b", documents.front() } };
}

void compareIntakeDrop(ReviewWC& window, const std::vector<std::string>& paths, DropPoint point)
{
    for (const auto& fill : compareIntakeSlots(paths, point))
        window.evaluate(compareSetScript(fill.slot, fill.path));
}

CompareIntake::CompareIntake(ui::Dialogs& dialogs, library::LibraryLookup library)
    : m_dialogs(dialogs)
    , m_library(std::move(library))
{
}

void CompareIntake::openCompareIntake()
{
    const auto layer = m_library();
    if (!layer)
        return;
    FileSystem& files = realFileSystem();
    const std::string& folder = globals().archive;
    // A page that cannot be written shows as missing in its tab; the tab opens all the same.
    (void)files.createDirectories(folder);
    const std::string page = joinPath(folder, ".cmpintake-" + makeUuid() + ".html");
    (void)files.replaceFile(page, globals().compareIntakeHTML);

    const auto window = layer->openers().windowForDocument();
    window->hasContent = true;
    window->isCompareIntake = true;
    window->representFile("");
    window->window().setTabTitle(*window->web, kIntakeTitle);
    window->window().setTitle(kIntakeTitle);
    window->web->loadFile(page);
    window->window().present();
}

void CompareIntake::comparePickSlot(const UrlAction& action)
{
    const std::string slot = action.item("side") == "b" ? "b" : "a";
    std::weak_ptr<ReviewWC> weak = action.window.weak_from_this();
    m_dialogs.openPanel(&action.window.window(), slotPanel(slot), [weak, slot](std::optional<std::vector<std::string>> chosen) {
        const auto window = weak.lock();
        if (!window || window->isClosed() || !chosen || chosen->empty())
            return;
        window->evaluate(compareSetScript(slot, chosen->front()));
    });
}

}
