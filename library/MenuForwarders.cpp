#include "library/MenuForwarders.h"

#include "app/Settings.h"
#include "library/LibraryLayer.h"
#include "library/WindowLookup.h"
#include "platform/core/Json.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/PageEditor.h"
#include "platform/ui/Window.h"
#include "review/ReviewWC.h"

#include <algorithm>
#include <cctype>

namespace ikw::library {

namespace {

using WindowLookup = std::shared_ptr<ReviewWC> (*)(const ReviewWindows&);

// Evaluates a fixed script in the window a lookup finds; `reader` and `other` are the scripts for
// a reader and for any other page ("" to leave that kind alone).
MenuCommands::Perform evaluateIn(const LibraryLookup& library, WindowLookup lookup, std::string reader, std::string other)
{
    return [library, lookup, reader = std::move(reader), other = std::move(other)](const MenuUse&) {
        const auto layer = library();
        const auto window = layer ? lookup(layer->windows()) : nullptr;
        if (!window)
            return;
        const std::string& script = window->isReader ? reader : other;
        if (!script.empty())
            window->evaluate(script);
    };
}

// The menu's sort keys are plain words; anything else (or none) sorts by name.
std::string sortKey(const Json& object)
{
    if (!object.is_string())
        return "name";
    const std::string key = object.get<std::string>();
    const bool plain = !key.empty() && std::all_of(key.begin(), key.end(), [](unsigned char c) { return std::isalnum(c) || c == '_'; });
    return plain ? key : "name";
}

void registerViewForwarders(MenuCommands& commands, const LibraryLookup& library)
{
    commands.add("zoomIn:", evaluateIn(library, keyReview, "if(window.pdfViewer){pdfViewer.increaseScale();}", sizeStepScript(20)));
    commands.add("zoomOut:", evaluateIn(library, keyReview, "if(window.pdfViewer){pdfViewer.decreaseScale();}", sizeStepScript(-20)));
    commands.add("zoomReset:", evaluateIn(library, keyReview, "if(window.pdfViewer){pdfViewer.currentScaleValue='page-width';}",
        "(function(){if(window.setTW)setTW('180');var s=document.getElementById('tw');if(s)s.value=180;if(window.masonry)masonry(true);})()"));
    commands.add("sortBy:", [library](const MenuUse& use) {
        const auto layer = library();
        const auto window = layer ? keyReview(layer->windows()) : nullptr;
        if (!window)
            return;
        window->evaluate("if(window.setSort)setSort('" + sortKey(use.item.representedObject) + "')");
    });
    const std::pair<const char*, const char*> everyPage[] {
        { "slideshow:", "if(window.toggleSlideshow)toggleSlideshow()" },
        { "rotateImage:", "if(window.rotate)rotate(90)" },
        { "editFocused:", "if(window.editFocused)editFocused()" },
    };
    for (const auto& [name, script] : everyPage)
        commands.add(name, evaluateIn(library, keyReview, script, script));
}

// The page commands act in readers only; their validation rows (the library's) say so.
void registerReaderForwarders(MenuCommands& commands, const LibraryLookup& library)
{
    const std::pair<const char*, const char*> rows[] {
        { "goBackJS:", "if(window.ikwNav){ikwNav.back()}" },
        { "prevPageMenu:", "if(window.pdfViewer&&pdfViewer.currentPageNumber>1)pdfViewer.currentPageNumber--" },
        { "nextPageMenu:", "if(window.pdfViewer&&pdfViewer.currentPageNumber<pdfViewer.pagesCount)pdfViewer.currentPageNumber++" },
        { "firstPageMenu:", "if(window.pdfViewer)pdfViewer.currentPageNumber=1" },
        { "lastPageMenu:", "if(window.pdfViewer)pdfViewer.currentPageNumber=pdfViewer.pagesCount" },
        { "gotoPageMenu:", "(function(){var p=document.getElementById('pagebox');if(p){p.focus();p.select();}})()" },
        { "tocToggleMenu:", "(function(){var b=document.getElementById('toctgl');if(b)b.click();})()" },
        { "thumbsToggleMenu:", "(function(){var b=document.getElementById('thumbtgl');if(b)b.click();})()" },
    };
    for (const auto& [name, script] : rows)
        commands.add(name, evaluateIn(library, keyReviewWC, script, ""));
}

// Undo and redo outside the page: the text editor laid over the tab when one is open, else the
// page's own editing (a focused text field).
void focusedHistory(const std::shared_ptr<ReviewWC>& window, ui::Window* menuWindow, bool undo)
{
    if (window && window->editor.editorHost) {
        auto& editor = *window->editor.editorHost;
        undo ? editor.undo() : editor.redo();
        return;
    }
    std::shared_ptr<ui::WebView> view = window ? window->web : nullptr;
    if (!view && menuWindow)
        view = menuWindow->tab(menuWindow->selectedTab());
    if (view)
        view->executeEditingCommand(undo ? ui::EditingCommand::Undo : ui::EditingCommand::Redo);
}

// A reader's page keeps its own history (annotations, edits); it says whether it took the step.
void readerHistory(const LibraryLookup& library, const MenuUse& use, const std::string& pageFunction, bool undo)
{
    const auto layer = library();
    const auto window = layer ? keyReviewWC(layer->windows()) : nullptr;
    if (!window || !window->isReader) {
        focusedHistory(window, use.window, undo);
        return;
    }
    std::weak_ptr<ReviewWC> weak = window;
    window->webView().evaluate("!!(window." + pageFunction + " && " + pageFunction + "())", [weak, undo](ui::ScriptResult result) {
        if (result.value && result.value->is_boolean() && result.value->get<bool>())
            return;
        const auto still = weak.lock();
        if (still && !still->isClosed())
            focusedHistory(still, nullptr, undo);
    });
}

void registerHistoryForwarders(MenuCommands& commands, const LibraryLookup& library)
{
    commands.add("undoMenu:", [library](const MenuUse& use) { readerHistory(library, use, "__ikwUndo", true); });
    commands.add("redoMenu:", [library](const MenuUse& use) { readerHistory(library, use, "__ikwRedo", false); });
}

// The window full screen acts on: the one whose menu was used, else the key review's.
ui::Window* keyWindow(const LibraryLookup& library, const MenuUse& use)
{
    if (use.window)
        return use.window;
    const auto layer = library();
    const auto key = layer ? keyReviewWC(layer->windows()) : nullptr;
    return key ? &key->window() : nullptr;
}

void registerWindowForwarders(MenuCommands& commands, const LibraryLookup& library, const ForwarderHooks& hooks)
{
    commands.add("toggleStatusBarMenu:", [apply = hooks.applyConfig](const MenuUse&) {
        if (!apply)
            return;
        // Shown unless stored as false: the toggle hides it then, and shows it when it was hidden.
        const Json settings = loadConfig();
        const auto stored = settings.find("reader_statusbar");
        const bool hidden = stored != settings.end() && stored->is_boolean() && !stored->get<bool>();
        apply("reader_statusbar", hidden ? "1" : "0");
    });
    commands.add(
        "enterFull:", [library](const MenuUse& use) {
            if (auto* window = keyWindow(library, use))
                window->setFullScreen(!window->isFullScreen());
        },
        [library](const MenuUse& use) {
            const auto* window = keyWindow(library, use);
            const bool full = window && window->isFullScreen();
            return ui::MenuItemState { .enabled = true, .title = full ? "Exit Full Screen" : "Enter Full Screen" };
        });
}

void askForFolder(const LibraryLookup& library, LibraryLayer& layer, ui::Dialogs& dialogs)
{
    const auto key = keyReviewWC(layer.windows());
    const ui::AlertContent alert {
        .message = "Open a folder to use this tool",
        .informativeText = "Open a folder of documents (File \u2192 Open Folder\u2026), select the ones you want, then choose this tool again.",
        .buttons = { "Open Folder\u2026", "Cancel" },
        .cancelButton = 1,
    };
    dialogs.alert(key ? &key->window() : nullptr, alert, [library](ui::AlertAnswer answer) {
        if (const auto open = library(); open && answer.button == 0)
            open->commands().pick(std::nullopt);
    });
}

void registerToolForwarder(MenuCommands& commands, const LibraryLookup& library, const ForwarderHooks& hooks)
{
    commands.add("toolMenuAction:", [library, hooks](const MenuUse& use) {
        const auto layer = library();
        if (!layer)
            return;
        const Json& object = use.item.representedObject;
        const std::string id = object.is_string() ? object.get<std::string>() : "";
        if (const auto browse = frontBrowseWC(layer->windows())) {
            browse->evaluate("if(window.ikwTool){try{ikwTool(" + jsQuote(id) + ")}catch(e){}}");
            return;
        }
        if ((id == "rename" || id == "organize") && hooks.openOrganize) {
            hooks.openOrganize();
            return;
        }
        if (hooks.dialogs)
            askForFolder(library, *layer, *hooks.dialogs);
    });
}

}

std::string sizeStepScript(int step)
{
    return "(function(){var t=parseInt(getComputedStyle(document.documentElement).getPropertyValue('--tw'))||180;t+=(" + std::to_string(step)
        + ");if(t<120)t=120;if(t>380)t=380;if(window.setTW)setTW(String(t));else document.documentElement.style.setProperty('--tw',t+'px');"
          "var s=document.getElementById('tw');if(s)s.value=t;if(window.masonry)masonry(true);})()";
}

void registerForwarderCommands(MenuCommands& commands, LibraryLookup library, ForwarderHooks hooks)
{
    registerViewForwarders(commands, library);
    registerReaderForwarders(commands, library);
    registerHistoryForwarders(commands, library);
    registerWindowForwarders(commands, library, hooks);
    registerToolForwarder(commands, library, hooks);
}

}
