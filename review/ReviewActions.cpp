#include "review/ReviewActions.h"

#include "app/AppDelegate.h"
#include "app/RecentItems.h"
#include "app/Settings.h"
#include "platform/core/Paths.h"
#include "platform/ui/Desktop.h"
#include "review/DefaultAppOpener.h"
#include "review/Panels.h"
#include "review/ReviewWC.h"

#include <algorithm>
#include <array>

namespace ikw {

namespace {

// A value that follows an option of the engine's command line: never one it could take for an
// option of its own (a leading "-") and no NUL.
bool isOptionValue(const std::string& value)
{
    return !value.starts_with('-') && value.find('\0') == std::string::npos;
}

// "null" is what pages send when nothing was chosen; it and the empty text never replace a choice.
void reshellFromItems(const UrlAction& action)
{
    std::optional<std::string> folders;
    std::optional<std::string> types;
    bool remember = false;
    for (const QueryItem& item : queryItems(action.url)) {
        const bool chosen = item.value && !item.value->empty() && *item.value != "null" && isOptionValue(*item.value);
        if (item.name == "folders" && chosen)
            folders = item.value;
        else if (item.name == "types" && chosen)
            types = item.value;
        else if (item.name == "remember" && item.value == "1")
            remember = true;
    }
    action.window.reshellReview(folders, types, remember);
}

void logReadingModeDeclined(const UrlAction& action)
{
    const auto given = [&](const char* name) {
        const auto value = action.item(name);
        return value ? *value : std::string("?");
    };
    const auto err = action.item("err");
    const auto& sources = action.window.sourcePaths;
    // Page text is only ever data here: logLine takes it as a plain string.
    logLine("ReadingMode declined: reason=" + (err && !err->empty() ? *err : std::string("too-little-text"))
        + " words=" + given("words") + " pages=" + given("pages")
        + " file=" + (sources.empty() ? std::string("?") : lastPathComponent(sources.front())));
}

void restoreView(const UrlAction& action)
{
    auto& pending = action.window.reader.pendingViewRestore;
    if (!pending)
        return;
    const std::string state = std::exchange(pending, std::nullopt).value();
    action.answer("if(window.__ikwRestoreView){try{__ikwRestoreView(" + jsQuote(state) + ")}catch(e){}}");
}

void setFolderView(const UrlAction& action)
{
    static constexpr std::array kViews { "grid", "column", "filmstrip" };
    const auto mode = action.item("mode");
    if (!mode || std::find(kViews.begin(), kViews.end(), *mode) == kViews.end())
        return;
    Json settings = loadConfig();
    settings["folder_view"] = *mode;
    saveConfig(settings);
}

// A pair code is kept once; a later page cannot replace it.
void storePairCode(const UrlAction& action)
{
    const auto code = queryCode(action.url, "code");
    if (!code || code->empty())
        return;
    Json settings = loadConfig();
    const auto stored = settings.find("pair_code");
    if (stored != settings.end() && stored->is_string() && !stored->get<std::string>().empty())
        return;
    settings["pair_code"] = *code;
    saveConfig(settings);
}

void registerEngineRuns(UrlActions& actions, const ReviewActionParts& parts)
{
    actions.add("review", reshellFromItems);
    actions.add("cancel", [](const UrlAction& action) { action.window.doCancel(); });
    actions.add("retry", [](const UrlAction& action) { action.window.reshellChoose(false); });
    actions.add("adjust", [](const UrlAction& action) { action.window.reshellChoose(true); });
    actions.add("recache", [](const UrlAction& action) { action.window.reloadRecache(true); });
    actions.add("gridready", [](const UrlAction& action) { action.window.pushGrid(); });
    actions.add("comparego", [recordRecent = parts.recordRecent](const UrlAction& action) {
        // Both go to the engine's command line as documents: existing files by absolute path.
        const auto a = checkedPagePath(action.item("a"), PathNeed::Existing);
        const auto b = checkedPagePath(action.item("b"), PathNeed::Existing);
        if (!a || !b)
            return;
        if (recordRecent && appDelegate())
            recordRecent({ *a, *b });
        action.window.loadReview({ *a, *b }, "compare");
    });
    actions.add("histlib", [recordStat = parts.recordStat](const UrlAction& action) {
        const auto kept = queryPathList(action.url, "p");
        if (kept.empty())
            return;
        if (recordStat)
            recordStat("history.as_library");
        action.window.loadReview(kept, std::nullopt);
    });
}

void registerWindowActions(UrlActions& actions, const ReviewActionParts& parts)
{
    actions.add("home", [](const UrlAction& action) {
        if (auto* delegate = appDelegate())
            delegate->goHome(action.web());
    });
    // The tab whose page asked, and its window with its last tab.
    actions.add("histclose", [](const UrlAction& action) { action.window.closeTab(); });
    actions.add("closenow", [](const UrlAction& action) {
        action.window.reader.readerClosing = true; // the page has settled itself
        action.window.closeTab();
    });
    actions.add("editstate", [](const UrlAction& action) {
        action.window.pushEditState();
        action.window.pushWordButton();
        action.window.pushSetState();
    });
    actions.add("keepawake", [](const UrlAction& action) {
        if (action.item("on") == "1")
            action.window.beginAwake(action.window.readAwake, "Inkwarden Reading Mode");
        else
            ReviewWC::endAwake(action.window.readAwake);
    });
    actions.add("rmdiag", logReadingModeDeclined);
    actions.add("viewready", restoreView);
    actions.add("resettoolbar", [openWindows = parts.openWindows](const UrlAction&) {
        if (!openWindows)
            return;
        for (const auto& window : openWindows()) {
            if (window->isReader)
                window->evaluate("if(window.__ikwResetToolbar)__ikwResetToolbar()");
        }
    });
}

void registerDesktopActions(UrlActions& actions, const ReviewActionParts& parts)
{
    if (!parts.workspace)
        return;
    ui::Workspace& workspace = *parts.workspace;
    const auto reveal = [&workspace](const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Existing))
            workspace.revealFile(*path);
    };
    actions.add({ "histreveal", "reveal" }, reveal);
    actions.add("opendefault", [&workspace](const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Existing))
            openWithDefaultApp(workspace, *path);
    });
}

void registerClipboardActions(UrlActions& actions, const ReviewActionParts& parts)
{
    if (!parts.clipboard)
        return;
    ui::Clipboard& clipboard = *parts.clipboard;
    actions.add("copyfile", [&clipboard](const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Existing)) {
            clipboard.setFiles({ *path });
            ReviewWC::readerToast(action.window.web, "Copied \u201C" + lastPathComponent(*path) + "\u201D \u2014 paste it in Files");
        }
    });
}

void registerSettingsActions(UrlActions& actions, const ReviewActionParts& parts)
{
    actions.add("setview", setFolderView);
    actions.add("paircode", storePairCode);
    actions.add("defaultnever", [](const UrlAction&) {
        if (appDelegate())
            appUserDefaults().set("ikwDefaultNeverAsk", true);
    });
    if (!parts.panels)
        return;
    Panels& panels = *parts.panels;
    actions.add("prefs", [&panels](const UrlAction&) { panels.showSettings(); });
    actions.add("defaultneverundo", [&panels](const UrlAction&) {
        UserDefaults defaults = appUserDefaults();
        defaults.set("ikwDefaultNeverAsk", false);
        defaults.remove("ikwDefaultNextAskAt");
        panels.reloadSettingsPanelIfOpen();
    });
}

}

void registerActions(UrlActions& actions, ReviewActionParts parts)
{
    registerEngineRuns(actions, parts);
    registerWindowActions(actions, parts);
    registerDesktopActions(actions, parts);
    registerClipboardActions(actions, parts);
    registerSettingsActions(actions, parts);
}

}
