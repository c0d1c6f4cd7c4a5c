#include "library/HistoryPage.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "app/TemplateFill.h"
#include "library/HistoryStore.h"
#include "library/WindowOpeners.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/ui/Dialogs.h"
#include "review/EngineLocator.h"
#include "review/ReviewWC.h"

namespace ikw::library {

void HistoryPage::openHistory(const std::string& mode)
{
    if (m_hooks.recordUsage)
        m_hooks.recordUsage("history.open");
    FileSystem& files = realFileSystem();
    const auto page = files.readFile(historyHTMLPath());
    if (!page) {
        m_dialogs.alert(nullptr, ui::AlertContent { .message = "File History is unavailable", .informativeText = "The history page is missing from this build." }, {});
        return;
    }
    const Json settings = loadConfig();
    const bool dark = m_hooks.isDark && m_hooks.isDark();
    const std::string filled = fillTemplate(*page, {
        { "__HISTORY_JSON__", TemplateValue::verbatim(m_store.json()) },
        { "__START_MODE__", TemplateValue::verbatim(mode) },
        { "__OPEN_LAYOUT__", TemplateValue::verbatim(OpenSurface::layout(settings)) },
        { "__OPEN_PALETTE__", TemplateValue::verbatim(OpenSurface::palette(settings, dark)) },
    });
    const std::string folder = globals().archive;
    files.createDirectories(folder);
    const std::string written = joinPath(folder, ".history-" + makeUuid() + ".html");
    if (!files.replaceFile(written, filled))
        return;

    const auto window = m_openers.windowForDocument();
    window->hasContent = true;
    window->isReader = false;
    window->isGrid = false;
    window->isOrganize = false;
    window->isBates = false;
    window->sourcePaths.clear();
    window->isOpenSurface = true;
    const std::string title = mode == "open" ? "Open" : "File History";
    window->window().setTabTitle(*window->web, title);
    window->window().setTitle(title);
    if (m_hooks.setBackground)
        m_hooks.setBackground(*window, OpenSurface::sheet(settings, dark));
    window->window().present();
    window->web->loadFile(written);
}

}
