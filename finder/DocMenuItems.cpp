#include "finder/DocMenuItems.h"

#include "finder/ReaderFileActions.h"
#include "platform/core/Paths.h"

#include <memory>

namespace ikw::finder {

namespace {

ui::MenuItem command(const std::string& title, const std::string& word, const std::string& path, const std::string& key = {})
{
    ui::MenuItem item;
    item.title = title;
    item.command = word;
    item.representedObject = path;
    if (!key.empty())
        item.key = ui::KeyCombo { key, ui::kModControl };
    return item;
}

ui::MenuItem submenu(const std::string& title, std::vector<ui::MenuItem> items)
{
    ui::MenuItem item;
    item.title = title;
    item.submenu = std::make_shared<ui::Menu>(ui::Menu { .title = title, .items = std::move(items) });
    return item;
}

ui::MenuItem openWithSubmenu(const std::string& path, const std::vector<OpenWithChoice>& openWith)
{
    std::vector<ui::MenuItem> entries;
    for (const auto& choice : openWith)
        entries.push_back(command(choice.label + (choice.isDefault ? " (default)" : ""), kOpenAppPrefix + choice.entryFile, path));
    if (entries.empty())
        entries.push_back(ui::MenuItem::makeDisabledLine("No App Can Open This"));
    return submenu("Open With", std::move(entries));
}

// The share menu's entries, each carrying the document.
ui::MenuItem shareItem(const std::string& path)
{
    ui::Menu ways = shareMenu();
    for (auto& way : ways.items)
        way.representedObject = path;
    return submenu(ways.title, std::move(ways.items));
}

void appendEditing(std::vector<ui::MenuItem>& items, const DocMenuState& state, const std::string& path)
{
    if (!state.hasWindow)
        return;
    if (state.editorOpen) {
        items.push_back(command("Save", "save", path, "s"));
        items.push_back(command("Save a Copy\u2026", "savecopy", path));
        items.push_back(command("Stop Editing", "stopedit", path));
    } else if (state.probeAnswered) {
        items.push_back(command(state.isPdfEdit ? "Edit This PDF" : "Edit This Document", "edit", path));
    }
    if (!state.wordProcessor.empty())
        items.push_back(command("Open in " + state.wordProcessor, "word", path));
}

}

std::vector<ui::MenuItem> docMenuItems(const DocMenuState& state, const std::string& path, const std::vector<OpenWithChoice>& openWith,
    bool header)
{
    std::vector<ui::MenuItem> items;
    if (header)
        items.push_back(ui::MenuItem::makeDisabledLine(lastPathComponent(path)));
    const std::size_t beforeEditing = items.size();
    appendEditing(items, state, path);
    if (items.size() > beforeEditing)
        items.push_back(ui::MenuItem::makeSeparator());

    const bool readerOfPdf = state.hasWindow && state.isReader && state.extension == "pdf";
    if (readerOfPdf)
        items.push_back(command("Share Online\u2026", "shareonline", path));
    if (state.fileExists)
        items.push_back(shareItem(path));
    if (readerOfPdf || state.fileExists)
        items.push_back(ui::MenuItem::makeSeparator());

    items.push_back(openWithSubmenu(path, openWith));
    items.push_back(command("Show in Files", "reveal", path));
    items.push_back(command("Open Enclosing Folder", "enclosing", path));
    items.push_back(command("Get Info", "getinfo", path));
    items.push_back(ui::MenuItem::makeSeparator());
    items.push_back(command("Rename\u2026", "rename", path));
    items.push_back(command("Duplicate", "duplicate", path, "d"));
    items.push_back(command("Compress", "compress", path));
    items.push_back(command("Copy File", "copyfile", path));
    items.push_back(command("Copy Path", "copypath", path));
    if (readerOfPdf) {
        items.push_back(ui::MenuItem::makeSeparator());
        items.push_back(command("Shrink PDF\u2026", "shrink", path));
    }
    if (state.hasWindow && state.isReader) {
        items.push_back(ui::MenuItem::makeSeparator());
        items.push_back(command("Print\u2026", "print", path, "p"));
    }
    return items;
}

std::vector<ui::MenuItem> tabItems(bool sharesWindow)
{
    std::vector<ui::MenuItem> items;
    if (sharesWindow)
        items.push_back(command("Move Tab to New Window", "movetab", {}));
    items.push_back(command("Close Tab", "closetab", {}));
    return items;
}

}
