#include "library/LibraryLayer.h"

#include "platform/imaging/thumbnails/SystemRenderer.h"

#include "app/AppDelegate.h"
#include "app/WelcomePage.h"
#include "library/WindowLookup.h"
#include "platform/core/FileSystem.h"
#include "review/ReviewWindowLayer.h"

#include <chrono>

namespace ikw::library {

LibraryLayer::LibraryLayer(ReviewServices& services, ReviewWindows& windows, LibraryHooks hooks)
    : m_windows(windows)
    , m_recordUsage(hooks.recordUsage)
    , m_openers(services, windows,
          OpenerHooks {
              .recordRecent = [this](const std::vector<std::string>& paths) { m_recent.recordRecent(paths); },
              .handleFinderExtensionURL = std::move(hooks.handleFinderExtensionURL),
              .openAppsMenu = std::move(hooks.openAppsMenu),
              .noteDidOpen = [] {
                  if (auto* delegate = appDelegate())
                      delegate->didOpen = true;
              },
              .activate = [this] { activate(); },
              .readerPdf = std::move(hooks.readerPdf),
          })
    , m_router(m_openers)
    , m_commands(windows, m_openers, services.toolkit->dialogs(),
          WindowCommandHooks {
              .showWelcome = [](const ui::WebView* host) {
                  if (auto* delegate = appDelegate())
                      delegate->showWelcome(host);
              },
              .rebuildMenu = hooks.rebuildMenu,
              .openHistory = [this](const std::string& mode) { m_historyPage.openHistory(mode); },
              .recordUsage = hooks.recordUsage,
          })
    , m_documentSets(windows, m_openers, m_router)
    , m_versions(std::make_shared<VersionRestore>(VersionStore(versionRoot()),
          VersionRestore::Hooks {
              .dialogs = services.toolkit->dialogs(),
              .windows = [&windows] { return windows.windows(); },
              .popUp = [responder = hooks.menuResponder](ReviewWC& window, const std::vector<VersionChoice>& choices) {
                  // Near the top left corner of the page.
                  window.window().popUpMenu(std::make_shared<const ui::Menu>(versionMenu(choices)), 18, 8,
                      responder ? responder(window.window()) : ui::MenuResponder {});
              },
          }))
    , m_historyPage(m_openers, *m_history, services.toolkit->dialogs(),
          HistoryPage::Hooks {
              .recordUsage = hooks.recordUsage,
              .isDark = [] { return appDelegate() && appDelegate()->effectiveIsDark(); },
              .setBackground = [](ReviewWC& window, const OpenSurface::Sheet& sheet) {
                  window.setBackground(ui::Color { sheet.red, sheet.green, sheet.blue, 1.0 });
              },
          })
    , m_recent(*m_history, windows, m_openers, services.toolkit->dialogs(),
          RecentLists::Hooks {
              .rebuildMenu = hooks.rebuildMenu,
              .writeWelcomePage = [] { return writeWelcomeFile(std::nullopt, std::nullopt, {}); },
              .clock = [] { return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count(); },
              .temporaryRoots = hooks.temporaryRoots ? hooks.temporaryRoots : RecentLists::defaultTemporaryRoots,
          })
    , m_closedTabs(m_openers, realFileSystem(), closedTabsPath(),
          ClosedTabs::Hooks {
              .recordUsage = hooks.recordUsage,
              .beep = [toolkit = services.toolkit] { toolkit->beep(); },
              .settings = {},
          })
    , m_covers(std::make_unique<HistoryCovers>(
          hooks.coverRenderer ? hooks.coverRenderer : std::make_shared<thumbnail::SystemRenderer>(),
          CoverSettings { .folder = historyCoversFolder() }, realFileSystem()))
{
    auto& features = services.features;
    features.snapshotVersionFile = [versions = std::weak_ptr(m_versions)](const std::string& path) {
        if (const auto store = versions.lock())
            store->snapshotVersionFile(path);
    };
    features.routeTwoFileOpen = [this](const std::vector<std::string>& paths) { m_router.routeTwoFileOpen(paths); };
    features.reloadReaderInPlace = [this](ReviewWC& window) { m_openers.reloadReaderInPlace(window); };
    features.recordRecent = [this](const std::vector<std::string>& paths) { m_recent.recordRecent(paths); };
    features.pinnedJSON = [this] { return m_recent.pinnedJSON(); };
    features.recordClosedTab = [this](ReviewWC& window) { m_closedTabs.recordClosedTab(window); };
}

ui::Menu versionMenu(const std::vector<VersionChoice>& choices)
{
    ui::Menu menu { VersionRestore::kMenuTitle, {}, false };
    for (const auto& choice : choices) {
        ui::MenuItem item;
        item.title = choice.title;
        item.command = "restoreVersionPick:";
        item.representedObject = versionPayload(choice);
        menu.items.push_back(std::move(item));
    }
    return menu;
}

void LibraryLayer::activate()
{
    if (auto key = keyReview(m_windows))
        key->window().present();
}

std::shared_ptr<ReviewWindowRegistry> makeLibraryWindowLayer(ui::Toolkit& toolkit, std::weak_ptr<LibraryLayer>& library, LibraryHooks hooks,
    const std::function<void(ReviewServices&)>& configureReview)
{
    ReviewServices* services = nullptr;
    auto registry = makeReviewWindowLayer(toolkit, [&services, &configureReview](ReviewServices& configured) {
        if (configureReview)
            configureReview(configured);
        services = &configured;
    });
    auto windows = std::dynamic_pointer_cast<ReviewWindows>(registry);
    if (!services || !windows)
        return registry;
    struct Composed {
        std::shared_ptr<ReviewWindowRegistry> registry;
        std::shared_ptr<LibraryLayer> library;
    };
    auto composed = std::make_shared<Composed>(Composed { registry, std::make_shared<LibraryLayer>(*services, *windows, std::move(hooks)) });
    library = composed->library;
    return std::shared_ptr<ReviewWindowRegistry>(composed, registry.get());
}

}
