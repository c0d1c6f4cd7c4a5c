#include "app/MainMenuModel.h"

#include "app/Appearance.h"
#include "app/MenuKeys.h"
#include "platform/core/Paths.h"

#include <algorithm>

namespace ikw {

namespace {

constexpr unsigned kCmd = kMaskCommand;
constexpr unsigned kCmdShift = kMaskCommand | kMaskShift;
constexpr unsigned kCmdOpt = kMaskCommand | kMaskOption;

KeyEquivalent key(const char* character, unsigned mods = kCmd)
{
    return { character, mods };
}

ui::MenuItem separator()
{
    return ui::MenuItem::makeSeparator();
}

// An entry the focused widget handles (editing, the window's own commands).
ui::MenuItem firstResponder(const std::string& title, const std::string& command, const KeyEquivalent& equivalent = {})
{
    auto item = mi(title, command, equivalent);
    item.firstResponder = true;
    return item;
}

ui::MenuItem withSubmenu(ui::MenuItem item, ui::Menu menu)
{
    item.submenu = std::make_shared<ui::Menu>(std::move(menu));
    return item;
}

ui::Menu menu(std::string title, std::vector<ui::MenuItem> items)
{
    return ui::Menu { std::move(title), std::move(items), false };
}

ui::Menu appMenu(const MainMenuInputs& inputs)
{
    const std::string& brand = inputs.brand.name;
    std::vector<ui::MenuItem> items { mi("About " + brand, "showAbout:") };
    if (inputs.updateSubmenuItem)
        items.push_back(*inputs.updateSubmenuItem);
    auto status = mi(inputs.updateStatusTitle, "");
    status.enabled = false;
    items.insert(items.end(), {
        mi("Check for Updates\u2026", "checkForUpdatesMenu:"),
        status,
        separator(),
        mi("Settings\u2026", "showSettings:", key(",")),
        mi("Pair with iPhone\u2026", "showPairSheet:"),
        mic("account", inputs.settings),
        separator(),
        firstResponder("Hide " + brand, "hide:", key("h")),
    });
    // The desktop has no way to hide other programs or show them all again.
    auto hideOthers = firstResponder("Hide Others", "hideOtherApplications:", key("h", kCmdOpt));
    hideOthers.hidden = true;
    auto showAll = firstResponder("Show All", "unhideAllApplications:");
    showAll.hidden = true;
    items.insert(items.end(), { hideOthers, showAll, separator(), firstResponder("Quit " + brand, "terminate:", key("q")) });
    return menu(brand, std::move(items));
}

ui::Menu fileMenu(const MainMenuInputs& inputs)
{
    const Json& settings = inputs.settings;
    std::vector<ui::MenuItem> items {
        mic("newtab", settings),
        mic("newwin", settings),
        mic("reopentab", settings),
        mic("open", settings),
        sub("Open Recent", openRecentMenu(inputs.recentItems, inputs.exists)),
        mic("history", settings),
        mic("library", settings),
        sub("Favorites", favoritesMenu(inputs.pinnedFolders)),
        sub("Open Folder As", menu("Open Folder As", {
            mi("Browse / Compare a Set", "openBrowse:"),
            mi("Compare Versions (pick best)", "openVersions:"),
            mi("Sort a Pile (keep / trash)", "openSort:"),
            separator(),
            mi("Rank by Focus (" + inputs.brand.name + ")", "openRank:"),
        })),
        mi("Compare Two Documents\u2026", "openCompare:"),
        mi("Compare Drafts on a Timeline\u2026", "openDraftTimelinePicker:"),
        mi("Visual Page Diff (two PDFs)\u2026", "openVisualCompare:"),
        mi("Ask a Document or Folder (Private AI)\u2026", "pickAskDoc:"),
        mi("Bates Number a Production\u2026", "openBates:"),
        sub("Signature Campaigns", menu("Signature Campaigns", {
            mi("Open a Campaign\u2026", "openCampaigns:"),
            mi("Create a Sample Campaign\u2026", "newSampleCampaign:"),
        })),
        mi("Agreements Needing Attention\u2026", "showAgreements:"),
        mi("Archive to Oakrune\u2026", "archiveToOakrune:"),
    };
    if (inputs.brand.has("redact"))
        items.push_back(mi("Redact a Document\u2026", "openRedact:"));
    // Filled when it opens; until a filler answers, it says there is nothing to open.
    auto noDocument = mi("No Document", "");
    noDocument.enabled = false;
    ui::Menu openWith = menu("Open With", { noDocument });
    openWith.fillsOnOpen = true;
    items.insert(items.end(), {
        mic("shareonline", settings),
        mic("myshares", settings),
        separator(),
        mi("Change Selection for This Folder\u2026", "chooseFolderAgain:"),
        mi("Reset Selection for This Folder", "resetFolderPref:"),
        mi("Reveal Reviews Folder", "revealArchive:"),
        separator(),
        sub("Open With", std::move(openWith)),
        mi("Edit This Document", "editCurrentDoc:", key("e", kCmdShift)),
        mi("Show in Files", "revealCurrentDoc:"),
        // Shown beside its primary: the desktop has no entries that appear while a key is held.
        mi("Copy Path", "copyCurrentDocPath:"),
        mi("Rename\u2026", "renameCurrentDoc:"),
        mi("Duplicate", "duplicateCurrentDoc:", key("d")),
        mi("Shrink PDF\u2026", "shrinkCurrentDoc:"),
        separator(),
        mi("Print\u2026", "printCurrentDoc:", key("p")),
        separator(),
        firstResponder("Close Tab", "performClose:", key("w")),
        mi("Close Window", "closeWholeWindow:", key("w", kCmdShift)),
        mi("Close All Windows", "closeAllWindows:", key("w", kCmdOpt | kMaskShift)),
    });
    return menu("File", std::move(items));
}

ui::Menu editMenu()
{
    return menu("Edit", {
        mi("Undo", "undoMenu:", key("z")),
        mi("Redo", "redoMenu:", key("z", kCmdShift)),
        mi("Restore Previous Version\u2026", "restoreVersionMenu:"),
        separator(),
        firstResponder("Cut", "cut:", key("x")),
        firstResponder("Copy", "copy:", key("c")),
        firstResponder("Paste", "paste:", key("v")),
        firstResponder("Select All", "selectAll:", key("a")),
    });
}

ui::MenuItem checked(ui::MenuItem item, bool on)
{
    item.checked = on;
    return item;
}

bool autoRefreshOn(const Json& settings)
{
    const auto it = settings.find("auto_refresh");
    return it == settings.end() || !(it->is_boolean() && !it->get<bool>());
}

bool isBoolean(const Json& settings, const char* name, bool value)
{
    const auto it = settings.find(name);
    return it != settings.end() && it->is_boolean() && it->get<bool>() == value;
}

ui::Menu viewMenu(const MainMenuInputs& inputs)
{
    const Json& settings = inputs.settings;
    const std::string appearance = appearancePref(settings);
    auto night = mi("Night Mode", "");
    if (inputs.nightMenu)
        night = withSubmenu(night, *inputs.nightMenu);
    auto fullScreen = mi("Enter Full Screen", "enterFull:");
    fullScreen.key = fullScreenKey();
    return menu("View", {
        mi("Zoom In", "zoomIn:", key("=")),
        mi("Zoom Out", "zoomOut:", key("-")),
        mi("Actual Size", "zoomReset:", key("0")),
        separator(),
        mic("rotate", settings),
        mic("edit", settings),
        separator(),
        sub("Sort By", menu("Sort By", {
            mi("Name", "sortBy:", {}, "name"),
            mi("Date Modified", "sortBy:", {}, "date"),
            mi("Size", "sortBy:", {}, "size"),
            mi("Type", "sortBy:", {}, "type"),
        })),
        mic("slideshow", settings),
        separator(),
        mic("reload", settings),
        checked(mi("Auto-Refresh on File Changes", "toggleAutoRefresh:"), autoRefreshOn(settings)),
        checked(mi("Skip Archive Folders", "toggleArchive:"), isBoolean(settings, "ignore_archive_folders", true)),
        mic("theme", settings),
        night,
        sub("Appearance", menu("Appearance", {
            checked(mi("Light", "setAppearanceLight:"), appearance == "light"),
            checked(mi("Dark", "setAppearanceDark:"), appearance == "dark"),
            checked(mi("Follow System", "setAppearanceAuto:"), appearance == "auto"),
        })),
        separator(),
        mi(isBoolean(settings, "reader_statusbar", false) ? "Show Status Bar" : "Hide Status Bar", "toggleStatusBarMenu:", key("/")),
        mi("Table of Contents", "tocToggleMenu:", key("t", kCmdOpt)),
        mi("Page Thumbnails", "thumbsToggleMenu:", key("p", kCmdOpt)),
        separator(),
        fullScreen,
    });
}

ui::Menu goMenu()
{
    return menu("Go", {
        mi("Back", "goBackJS:", key("[")),
        separator(),
        mi("Previous Page", "prevPageMenu:", key("\uF700")),
        mi("First Page", "firstPageMenu:", key("\uF700", kCmdOpt)),
        mi("Next Page", "nextPageMenu:", key("\uF701")),
        mi("Last Page", "lastPageMenu:", key("\uF701", kCmdOpt)),
        mi("Go to Page\u2026", "gotoPageMenu:", key("g", kCmdOpt)),
    });
}

ui::MenuItem tool(const std::string& title, const std::string& id, const std::string& toolTip)
{
    auto item = mi(title, "toolMenuAction:", {}, id);
    item.toolTip = toolTip;
    return item;
}

ui::Menu toolsMenu()
{
    return menu("Tools", {
        tool("Make Searchable (OCR)", "ocr", "On-device OCR (Tesseract) so scanned PDFs become searchable. Nothing is uploaded."),
        tool("Compress PDFs\u2026", "compress", "Recompress images in the selected PDFs to smaller sibling copies. Originals untouched."),
        tool("Split into Single Pages\u2026", "split", "Split each selected multi-page PDF into one file per page, in a new folder. Originals untouched."),
        tool("Strip Blank Pages\u2026", "blank", "Drop near-blank pages from the selected PDFs into cleaned sibling copies. Originals untouched."),
        separator(),
        tool("Smart Rename\u2026", "rename", "Rename documents by what they actually say \u2014 on-device (the local AI model). Review before applying."),
        tool("Organize into Folders\u2026", "organize", "Sort documents into content-aware folders \u2014 on-device. Review before applying."),
    });
}

ui::Menu windowMenu(const Json& settings)
{
    return menu("Window", {
        firstResponder("Minimize", "performMiniaturize:", key("m")),
        firstResponder("Minimize All", "miniaturizeAll:", key("m", kCmdOpt)),
        firstResponder("Zoom", "performZoom:"),
        separator(),
        firstResponder("Show Previous Tab", "selectPreviousTab:", key("\t", kMaskControl | kMaskShift)),
        firstResponder("Show Next Tab", "selectNextTab:", key("\t", kMaskControl)),
        firstResponder("Move Tab to New Window", "moveTabToNewWindow:"),
        firstResponder("Merge All Windows", "mergeAllWindows:"),
        mi("Show Open Tabs in Library", "showTabsInLibrary:", key("\\", kCmdShift)),
        separator(),
        checked(mi("Float on Top", "toggleAlwaysOnTop:"), isBoolean(settings, "always_on_top", true)),
        separator(),
        firstResponder("Bring All to Front", "arrangeInFront:"),
    });
}

ui::Menu helpMenu(const Brand& brand)
{
    return menu("Help", {
        mi(brand.name + " Help", "showHelp:", key("?")),
        mi("Send Feedback\u2026", "sendFeedbackMI:"),
        mi("Check for Updates\u2026", "checkForUpdatesMenu:"),
        separator(),
        mi("About " + brand.name, "showAbout:"),
    });
}

}

ui::MenuItem mi(const std::string& title, const std::string& command, const KeyEquivalent& equivalent, Json representedObject)
{
    ui::MenuItem item;
    item.title = title;
    item.command = command;
    item.key = desktopKey(equivalent);
    item.representedObject = std::move(representedObject);
    return item;
}

ui::MenuItem sub(const std::string& title, ui::Menu submenu)
{
    return withSubmenu(mi(title, ""), std::move(submenu));
}

ui::MenuItem mic(const std::string& id, const Json& settings)
{
    const CustomizableAction& action = act(id);
    return mi(action.label, action.sel, shortcutFor(action, settings));
}

ui::Menu openRecentMenu(const std::vector<RecentItem>& items, const std::function<bool(const std::string&)>& exists, std::size_t limit,
    ClearRecentEntry clear)
{
    ui::Menu recent = menu("Open Recent", {});
    if (items.empty()) {
        auto none = mi("No Recent Items", "");
        none.enabled = false;
        recent.items.push_back(none);
        return recent;
    }
    const std::size_t shown = std::min(items.size(), limit);
    for (std::size_t i = 0; i < shown; ++i) {
        const std::string& path = items[i].path;
        auto item = mi(lastPathComponent(path), "openRecentItem:", {}, path);
        item.toolTip = exists && !exists(path) ? path + kNotFoundSuffix : path;
        recent.items.push_back(std::move(item));
    }
    if (clear == ClearRecentEntry::Shown) {
        recent.items.push_back(separator());
        recent.items.push_back(mi("Clear Menu", "clearRecent:"));
    }
    return recent;
}

ui::Menu favoritesMenu(const std::vector<std::string>& pinned)
{
    ui::Menu favorites = menu("Favorites", {});
    for (const auto& path : pinned) {
        auto item = mi(lastPathComponent(path), "openPinnedItem:", {}, path);
        item.toolTip = path;
        favorites.items.push_back(std::move(item));
    }
    if (pinned.empty()) {
        auto none = mi("No Pinned Libraries", "");
        none.enabled = false;
        favorites.items.push_back(none);
    }
    favorites.items.push_back(separator());
    favorites.items.push_back(mi("Pin Current Folder", "pinCurrentFolder:"));
    favorites.items.push_back(mi("Unpin Current Folder", "unpinCurrentFolder:"));
    return favorites;
}

ui::MenuBar buildMainMenu(const MainMenuInputs& inputs)
{
    return ui::MenuBar { {
        appMenu(inputs),
        fileMenu(inputs),
        editMenu(),
        viewMenu(inputs),
        goMenu(),
        toolsMenu(),
        windowMenu(inputs.settings),
        helpMenu(inputs.brand),
    } };
}

}
