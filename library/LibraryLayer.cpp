#include "library/LibraryLayer.h"

#include "app/AppDelegate.h"
#include "library/WindowLookup.h"
#include "platform/core/FileSystem.h"
#include "review/ReviewWindowLayer.h"

namespace ikw::library {

LibraryLayer::LibraryLayer(ReviewServices& services, ReviewWindows& windows, LibraryHooks hooks)
    : m_windows(windows)
    , m_recordUsage(hooks.recordUsage)
    , m_openers(services, windows,
          OpenerHooks {
              // Every opened path joins the history; the recent items hear of it too.
              .recordRecent = [this, recent = std::move(hooks.recordRecent)](const std::vector<std::string>& paths) {
                  for (const auto& path : paths)
                      m_history->record(path, realFileSystem().isDirectory(path), "open");
                  if (recent)
                      recent(paths);
              },
              .handleFinderExtensionURL = std::move(hooks.handleFinderExtensionURL),
              .noteDidOpen = [] {
                  if (auto* delegate = appDelegate())
                      delegate->didOpen = true;
              },
              .activate = [this] { activate(); },
          })
    , m_router(m_openers)
    , m_commands(windows, m_openers, services.toolkit->dialogs(),
          WindowCommandHooks {
              .showWelcome = [](const ui::WebView* host) {
                  if (auto* delegate = appDelegate())
                      delegate->showWelcome(host);
              },
              .openHistory = [this](const std::string& mode) { m_historyPage.openHistory(mode); },
              .recordUsage = hooks.recordUsage,
          })
    , m_documentSets(windows, m_openers, m_router)
    , m_versions(std::make_shared<VersionRestore>(VersionStore(versionRoot()),
          VersionRestore::Hooks {
              .dialogs = services.toolkit->dialogs(),
              .windows = [&windows] { return windows.windows(); },
              .popUp = {},
          }))
    , m_historyPage(m_openers, *m_history, services.toolkit->dialogs(),
          HistoryPage::Hooks {
              .recordUsage = hooks.recordUsage,
              .isDark = [] { return appDelegate() && appDelegate()->effectiveIsDark(); },
              .setBackground = {},
          })
{
    auto& features = services.features;
    features.snapshotVersionFile = [versions = std::weak_ptr(m_versions)](const std::string& path) {
        if (const auto store = versions.lock())
            store->snapshotVersionFile(path);
    };
    features.routeTwoFileOpen = [this](const std::vector<std::string>& paths) { m_router.routeTwoFileOpen(paths); };
    features.reloadReaderInPlace = [this](ReviewWC& window) { m_openers.reloadReaderInPlace(window); };
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
