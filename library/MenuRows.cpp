#include "library/MenuRows.h"

#include "app/RecentItems.h"
#include "library/LibraryLayer.h"
#include "library/WindowLookup.h"
#include "platform/core/Paths.h"
#include "review/ReviewWC.h"

#include <algorithm>
#include <cctype>

namespace ikw::library {

namespace {

using LayerCommand = std::function<void(LibraryLayer&, const MenuUse&)>;
using LayerFact = std::function<bool(LibraryLayer&, const MenuUse&)>;

MenuCommands::Perform onLayer(const LibraryLookup& library, LayerCommand command)
{
    return [library, command = std::move(command)](const MenuUse& use) {
        if (const auto layer = library())
            command(*layer, use);
    };
}

MenuCommands::Validate enabledWhen(const LibraryLookup& library, LayerFact fact)
{
    return [library, fact = std::move(fact)](const MenuUse& use) {
        const auto layer = library();
        return ui::MenuItemState { .enabled = layer && fact(*layer, use) };
    };
}

bool keyIsReader(LibraryLayer& layer, const MenuUse&)
{
    const auto key = keyReviewWC(layer.windows());
    return key && key->isReader;
}

bool keyReaderShowsPdf(LibraryLayer& layer, const MenuUse& use)
{
    const auto path = currentDocPath(layer.windows());
    if (!path || !keyIsReader(layer, use))
        return false;
    std::string extension = pathExtension(*path);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "pdf";
}

bool hasDocument(LibraryLayer& layer, const MenuUse&)
{
    return currentDocPath(layer.windows()).has_value();
}

// Whether the key window's folder is (or is not) among the pins.
LayerFact currentFolderPinned(bool pinned)
{
    return [pinned](LibraryLayer& layer, const MenuUse&) {
        const auto root = currentLibraryRoot(layer.windows());
        return root && layer.recent().isPinned(*root) == pinned;
    };
}

std::optional<std::string> pathOf(const MenuUse& use)
{
    const Json& object = use.item.representedObject;
    return object.is_string() ? std::optional(object.get<std::string>()) : std::nullopt;
}

// The review tab the window shows now.
std::shared_ptr<ReviewWC> selectedReview(LibraryLayer& layer, const MenuUse& use)
{
    if (!use.window)
        return keyReviewWC(layer.windows());
    const auto view = use.window->tab(use.window->selectedTab());
    return view ? layer.windows().find(*view) : nullptr;
}

void registerWindowCommands(MenuCommands& commands, const LibraryLookup& library)
{
    const std::pair<const char*, void (WindowCommands::*)()> rows[] {
        { "newTab:", &WindowCommands::newTab },
        { "newWindow:", &WindowCommands::newWindow },
        { "closeWholeWindow:", &WindowCommands::closeWholeWindow },
        { "closeAllWindows:", &WindowCommands::closeAllWindows },
        { "toggleAlwaysOnTop:", &WindowCommands::toggleAlwaysOnTop },
        { "toggleAutoRefresh:", &WindowCommands::toggleAutoRefresh },
        { "showTabsInLibrary:", &WindowCommands::showTabsInLibrary },
        { "toggleLibrary:", &WindowCommands::toggleLibrary },
        { "openConsolidated:", &WindowCommands::openConsolidated },
        { "pickReaderDoc:", &WindowCommands::pickReaderDoc },
        { "chooseFolderAgain:", &WindowCommands::chooseFolderAgain },
        { "resetFolderPref:", &WindowCommands::resetFolderPref },
        { "reloadReview:", &WindowCommands::reloadReview },
    };
    for (const auto& [name, member] : rows)
        commands.add(name, onLayer(library, [member](LibraryLayer& layer, const MenuUse&) { (layer.commands().*member)(); }));
    // The folder pickers of "Open Folder As" and the plain one.
    const std::pair<const char*, std::optional<std::string>> modes[] {
        { "openFolder:", std::nullopt },
        { "openRank:", "rank" },
        { "openBrowse:", "flip" },
        { "openVersions:", "doc" },
        { "openSort:", "single" },
    };
    for (const auto& [name, mode] : modes)
        commands.add(name, onLayer(library, [mode](LibraryLayer& layer, const MenuUse&) { layer.commands().pick(mode); }));
}

// "Reopen “<title>”" for the newest closed tab; disabled with its plain title when there is none.
ui::MenuItemState reopenState(const LibraryLookup& library)
{
    const auto layer = library();
    if (!layer || layer->closedTabs().closedTabs().empty())
        return { .enabled = false, .title = "Reopen Closed Tab" };
    return { .enabled = true, .title = "Reopen \u201C" + layer->closedTabs().closedTabs().back().title + "\u201D" };
}

void registerListCommands(MenuCommands& commands, const LibraryLookup& library)
{
    commands.add("openHistory:", onLayer(library, [](LibraryLayer& layer, const MenuUse&) { layer.historyPage().openHistory("recents"); }));
    commands.add("openRecentItem:", onLayer(library, [](LibraryLayer& layer, const MenuUse& use) {
        if (const auto path = pathOf(use))
            layer.recent().openRecentItem(*path);
    }));
    commands.add("clearRecent:", onLayer(library, [](LibraryLayer& layer, const MenuUse&) { layer.recent().clearRecent(); }));
    commands.add("openPinnedItem:", onLayer(library, [](LibraryLayer& layer, const MenuUse& use) {
        if (const auto path = pathOf(use))
            layer.recent().openPinnedItem(*path);
    }));
    commands.add("pinCurrentFolder:", onLayer(library, [](LibraryLayer& layer, const MenuUse&) { layer.recent().pinCurrentFolder(); }),
        enabledWhen(library, currentFolderPinned(false)));
    commands.add("unpinCurrentFolder:", onLayer(library, [](LibraryLayer& layer, const MenuUse&) { layer.recent().unpinCurrentFolder(); }),
        enabledWhen(library, currentFolderPinned(true)));
    commands.add("reopenClosedTab:", onLayer(library, [](LibraryLayer& layer, const MenuUse&) { layer.closedTabs().reopenClosedTab(); }),
        [library](const MenuUse&) { return reopenState(library); });
}

void registerVersionCommands(MenuCommands& commands, const LibraryLookup& library)
{
    commands.add("restoreVersionMenu:", onLayer(library, [](LibraryLayer& layer, const MenuUse&) {
        if (const auto key = keyReviewWC(layer.windows()); key && key->isReader)
            layer.versions().restorePreviousVersion(*key);
    }));
    commands.add("restoreVersionPick:", onLayer(library, [](LibraryLayer& layer, const MenuUse& use) {
        layer.versions().restoreVersionPick(use.item.representedObject);
    }));
}

void registerTabCommands(MenuCommands& commands, const LibraryLookup& library)
{
    // Closing the shown tab goes through the tab's own close (a reader settles its page first).
    commands.add("performClose:", onLayer(library, [](LibraryLayer& layer, const MenuUse& use) {
        if (const auto review = selectedReview(layer, use))
            review->closeTab();
        else if (use.window)
            use.window->requestClose();
    }));
    commands.add("moveTabToNewWindow:", onLayer(library, [](LibraryLayer& layer, const MenuUse& use) {
        if (const auto review = selectedReview(layer, use))
            review->moveToNewWindow();
    }),
        [](const MenuUse& use) { return ui::MenuItemState { .enabled = use.window && use.window->tabCount() > 1 }; });
    // Every tab of every other review window joins the window the command came from, in order.
    commands.add("mergeAllWindows:", onLayer(library, [](LibraryLayer& layer, const MenuUse& use) {
        const auto host = selectedReview(layer, use);
        if (!host)
            return;
        const auto windows = layer.windows().windows();
        for (const auto& review : windows) {
            if (!review->isClosed() && &review->window() != &host->window())
                review->moveToWindowOf(*host);
        }
        // The tab the command came from stays the one shown.
        auto& frame = host->window();
        for (int index = 0; index < frame.tabCount(); ++index) {
            if (frame.tab(index) == host->web)
                frame.selectTab(index);
        }
    }));
}

// The rows that settle other owners' commands from the key window and its document.
void registerDocumentValidation(MenuCommands& commands, const LibraryLookup& library)
{
    for (const char* name : { "revealCurrentDoc:", "copyCurrentDocPath:", "renameCurrentDoc:", "duplicateCurrentDoc:" })
        commands.addValidation(name, enabledWhen(library, hasDocument));
    for (const char* name : { "shrinkCurrentDoc:", "shareOnline:" })
        commands.addValidation(name, enabledWhen(library, keyReaderShowsPdf));
    for (const char* name : { "myOnlineShares:", "printCurrentDoc:", "goBackJS:", "prevPageMenu:", "nextPageMenu:", "firstPageMenu:",
             "lastPageMenu:", "gotoPageMenu:", "tocToggleMenu:", "thumbsToggleMenu:" })
        commands.addValidation(name, enabledWhen(library, keyIsReader));
}

}

void registerMenuCommands(MenuCommands& commands, LibraryLookup library)
{
    registerWindowCommands(commands, library);
    registerListCommands(commands, library);
    registerVersionCommands(commands, library);
    registerTabCommands(commands, library);
    registerDocumentValidation(commands, library);
}

}
