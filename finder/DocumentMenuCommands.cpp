#include "finder/DocumentMenuCommands.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/ui/Toolkit.h"

namespace ikw::finder {

namespace {

constexpr const char* kArchiveSetting = "ignore_archive_folders";

void registerCurrentDocCommands(MenuCommands& commands, const DocumentMenuServices& services)
{
    ui::Toolkit& toolkit = *services.files.toolkit;
    commands.add("revealCurrentDoc:", [&toolkit, current = services.currentDocPath](const MenuUse&) {
        if (const auto path = current())
            toolkit.workspace().revealFile(*path);
    });
    commands.add("copyCurrentDocPath:", [&toolkit, current = services.currentDocPath](const MenuUse&) {
        if (const auto path = current())
            toolkit.clipboard().setText(*path);
    });
    commands.add("renameCurrentDoc:", [files = services.files, key = services.keyReview](const MenuUse&) {
        if (const auto review = key())
            renameDoc(files, *review);
    });
    commands.add("duplicateCurrentDoc:", [files = services.files, current = services.currentDocPath](const MenuUse&) {
        if (const auto path = current())
            duplicatePath(files, *path);
    });
}

}

bool toggledArchiveSetting(const Json& settings)
{
    const auto found = settings.find(kArchiveSetting);
    return found != settings.end() && found->is_boolean() && !found->get<bool>();
}

void registerMenuCommands(MenuCommands& commands, DocumentMenuServices services)
{
    registerCurrentDocCommands(commands, services);
    commands.add("revealArchive:", [&toolkit = *services.files.toolkit, files = services.files.files](const MenuUse&) {
        const std::string& folder = globals().archive;
        if (files->isDirectory(folder) || files->createDirectories(folder))
            toolkit.workspace().openFile(folder);
    });
    commands.add("toggleArchive:",
        [rebuild = services.rebuildMenu](const MenuUse&) {
            Json settings = loadConfig();
            settings[kArchiveSetting] = toggledArchiveSetting(settings);
            saveConfig(settings);
            if (rebuild)
                rebuild();
        },
        [](const MenuUse&) {
            const Json settings = loadConfig();
            const auto found = settings.find(kArchiveSetting);
            return ui::MenuItemState { .checked = found != settings.end() && found->is_boolean() && found->get<bool>() };
        });
}

}
