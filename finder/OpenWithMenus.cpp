#include "finder/OpenWithMenus.h"

#include "app/MenuCommands.h"
#include "platform/ui/Window.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::finder {

namespace {

constexpr const char* kOpenInApp = "openInApp:";
constexpr const char* kRevealPath = "revealPath:";

ui::MenuItem openInAppItem(const std::string& title, const std::string& document, const std::string& entryFile)
{
    ui::MenuItem item;
    item.title = title;
    item.command = kOpenInApp;
    item.representedObject = Json::array({ document, entryFile });
    return item;
}

// [document, entry file]: exactly two texts.
bool isOpenInAppPayload(const Json& payload)
{
    return payload.is_array() && payload.size() == 2 && payload[0].is_string() && payload[1].is_string();
}

}

std::vector<OpenWithChoice> openWithChoices(IkwOpenWith& openWith, const std::string& document)
{
    const auto defaultApp = openWith.defaultFor(document);
    const auto apps = openWith.apps(document, defaultApp);
    const auto labels = openWith.labels(apps);
    std::vector<OpenWithChoice> choices;
    for (const auto& app : apps) {
        const auto label = labels.find(app.file);
        choices.push_back({
            .entryFile = app.file,
            .label = label != labels.end() ? label->second : openWith.name(app),
            .isDefault = defaultApp && defaultApp->file == app.file,
        });
    }
    return choices;
}

ui::Menu openAppsMenu(const std::string& document, const std::vector<OpenWithChoice>& choices)
{
    ui::Menu menu { "Open in", {}, false };
    for (const auto& choice : choices)
        menu.items.push_back(openInAppItem("Open in " + choice.label + (choice.isDefault ? "  (default)" : ""), document, choice.entryFile));
    menu.items.push_back(ui::MenuItem::makeSeparator());
    ui::MenuItem reveal;
    reveal.title = "Reveal in Files";
    reveal.command = kRevealPath;
    reveal.representedObject = document;
    menu.items.push_back(std::move(reveal));
    return menu;
}

std::vector<ui::MenuItem> openWithMenuItems(const std::optional<std::string>& document, const std::vector<OpenWithChoice>& choices)
{
    if (!document)
        return { ui::MenuItem::makeDisabledLine("No Document") };
    std::vector<ui::MenuItem> items;
    for (const auto& choice : choices)
        items.push_back(openInAppItem(choice.label + (choice.isDefault ? " (default)" : ""), *document, choice.entryFile));
    if (items.empty())
        items.push_back(ui::MenuItem::makeDisabledLine("No App Can Open This"));
    return items;
}

void registerOpenWithCommands(MenuCommands& commands, ui::Workspace& workspace)
{
    commands.add(kOpenInApp, [&workspace](const MenuUse& use) {
        const Json& payload = use.item.representedObject;
        if (isOpenInAppPayload(payload))
            workspace.openFileWith(payload[0].get<std::string>(), payload[1].get<std::string>());
    });
    commands.add(kRevealPath, [&workspace](const MenuUse& use) {
        if (use.item.representedObject.is_string())
            workspace.revealFile(use.item.representedObject.get<std::string>());
    });
}

void popUpOpenAppsMenu(ui::Window& window, const std::string& document, const OpenWithMenuServices& services)
{
    if (!services.openWith)
        return;
    auto menu = std::make_shared<const ui::Menu>(openAppsMenu(document, openWithChoices(*services.openWith, document)));
    const ui::WindowSize size = window.contentSize();
    const ui::WindowPoint at = window.pointerPosition().value_or(ui::WindowPoint { size.width / 2.0, size.height / 2.0 });
    window.popUpMenu(std::move(menu), at.x, at.y, services.menuResponder ? services.menuResponder(window) : ui::MenuResponder {});
}

void registerOpenMenuAction(UrlActions& actions, OpenWithMenuServices services)
{
    actions.add("openmenu", [services = std::move(services)](const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Absolute); path && !action.window.isClosed())
            popUpOpenAppsMenu(action.window.window(), *path, services);
    });
}

std::function<void(ui::Menu&)> openWithMenuFiller(std::shared_ptr<IkwOpenWith> openWith, std::function<std::optional<std::string>()> currentDocPath)
{
    return [openWith = std::move(openWith), currentDocPath = std::move(currentDocPath)](ui::Menu& menu) {
        const auto document = currentDocPath ? currentDocPath() : std::nullopt;
        menu.items = openWithMenuItems(document, document && openWith ? openWithChoices(*openWith, *document) : std::vector<OpenWithChoice> {});
    };
}

}
