// The composition root: builds the process constants, lets every subsystem register its tool
// switch, then either runs the chosen tool mode or starts the application.

#include "app/AppDelegate.h"
#include "app/AppearanceMenu.h"
#include "app/CommandLine.h"
#include "app/Globals.h"
#include "app/IkwNight.h"
#include "app/MainMenu.h"
#include "app/MenuCommands.h"
#include "app/NightSettings.h"
#include "app/RecentItems.h"
#include "app/RegularStart.h"
#include "app/Settings.h"
#include "app/ShellMenuCommands.h"
#include "app/ToolSwitches.h"
#include "app/WelcomeShot.h"
#include "assistants/AgentBridgeLaunch.h"
#include "assistants/MCPSettingsActions.h"
#include "crossdoc/AnnotationActions.h"
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/CrossFolderSearch.h"
#include "crossdoc/LinksController.h"
#include "docops/DocumentPrinting.h"
#include "crossdoc/VisualCompare.h"
#include "docops/ReadAloud.h"
#include "docops/ReviewPageOps.h"
#include "finder/FinderIntake.h"
#include "finder/FileActions.h"
#include "finder/FinderServices.h"
#include "finder/IkwFinderExtension.h"
#include "finder/IkwFinderRequest.h"
#include "legal/SignatureVault.h"
#include "library/LibraryActions.h"
#include "library/LibraryLayer.h"
#include "library/OpenSurface.h"
#include "library/MenuRows.h"
#include "library/ReaderURL.h"
#include "library/WindowLookup.h"
#include "permission-wizard/KDPermissionWizard.h"
#include "permission-wizard/PermissionLintSwitch.h"
#include "review/PageBridge.h"
#include "review/ReviewWindows.h"
#include "platform/core/WorkQueue.h"
#include "platform/speech/EspeakSynthesizer.h"
#include "services/Feedback.h"
#include "services/FeedbackSetup.h"
#include "services/KDUpdate.h"
#include "services/Stats.h"

#include <gio/gio.h>

#include <iostream>
#include <memory>

namespace {

void registerToolSwitches(ikw::ToolSwitches& switches)
{
    switches.set("--permission-lint", [](const ikw::CommandLine& line) { return ikw::wizard::runPermissionLintSwitch(line.arguments(), {}); });
    switches.set("--night-selftest", [](const ikw::CommandLine&) { return ikw::IkwNight::selftest(); });
    switches.set("--finder-url-selftest", [](const ikw::CommandLine&) { return ikw::finder::IkwFinderRequest::selftest() ? 0 : 1; });
    switches.set("--selftest-vault", [](const ikw::CommandLine&) { return ikw::legal::SignatureVault::shared().selftest(std::cout) ? 0 : 1; });
    switches.set("--welcome-shot", ikw::runWelcomeShot);
}

// The parts made once the windows exist; the delegate's hooks reach them through here.
struct ApplicationSlots {
    ~ApplicationSlots()
    {
        // Page rewrites and annotated copies finish before their queues go.
        userInitiatedWorkers->waitUntilIdle();
        annotations->waitUntilIdle();
    }

    std::weak_ptr<ikw::Panels> panels;
    std::weak_ptr<ikw::library::LibraryLayer> library;
    std::weak_ptr<ikw::finder::FinderIntake> finder;
    // The one concurrent queue for work the user waits on (page rewrites, live searches), handed
    // to the features through their services.
    std::unique_ptr<ikw::WorkQueue> userInitiatedWorkers = ikw::makeConcurrentQueue("com.norvale.inkwarden.userinitiated");
    ikw::docops::RewriteQueue pageRewrites { *userInitiatedWorkers };
    // Reads the reader's annotated PDFs and writes the annotated copies, one after another.
    std::unique_ptr<ikw::WorkQueue> annotations = ikw::makeSerialQueue("com.norvale.inkwarden.annotations");
    // Reading aloud: espeak-ng through the sound server, or into silence when none answers.
    ikw::speech::EspeakSpeechService speech { [](const ikw::speech::AudioFormat& format) {
        return ikw::speech::openDefaultAudioSink(format, ikw::globals().brand.name);
    } };
    // Link making across every reader (the first end waits here) and the focus handed to a reader
    // that is still opening.
    std::shared_ptr<ikw::crossdoc::LinksController> links = std::make_shared<ikw::crossdoc::LinksController>([this] { return library.lock(); });
    // Cross-folder search with the shared index and its queue; quitting drops the searches not
    // started and stops a re-index after the file in progress.
    std::shared_ptr<ikw::crossdoc::CrossFolderSearch> search = std::make_shared<ikw::crossdoc::CrossFolderSearch>(*userInitiatedWorkers);
    // The main menu's commands (every feature adds its rows) and the menu shown in every review
    // window. The "Night Mode" submenu comes from the appearance driver through its source.
    ikw::MenuCommands menuCommands;
    std::shared_ptr<ikw::MainMenu> mainMenu = std::make_shared<ikw::MainMenu>(menuCommands, ikw::MainMenuSources {
        .nightMenu = [] {
            ikw::AppDelegate* delegate = ikw::appDelegate();
            return delegate ? ikw::menuFromModel(delegate->appearance().nightMenu()) : ikw::ui::Menu { "Night Mode", {}, false };
        },
    });
    // The visual page diff, made with the toolkit's panels.
    std::shared_ptr<ikw::crossdoc::VisualCompare> visualCompare;
};

// The appearance driver's entries above the shell: the settings panel, the panels' backgrounds and
// the open surface's palette. The main menu's rebuild joins once the menu exists.
ikw::AppearanceHooks appearanceHooks(const std::shared_ptr<ApplicationSlots>& slots)
{
    ikw::AppearanceHooks hooks;
    hooks.showSettings = [slots] {
        if (const auto panels = slots->panels.lock())
            panels->showSettings();
    };
    hooks.reloadSettingsPanelIfOpen = [slots] {
        if (const auto panels = slots->panels.lock())
            panels->reloadSettingsPanelIfOpen();
    };
    hooks.setPanelBackgrounds = [slots](const ikw::ui::Color& color) {
        if (const auto panels = slots->panels.lock())
            panels->setBackgrounds(color);
    };
    hooks.openSurfaceBackground = [](const ikw::Json& settings, bool dark) {
        const auto sheet = ikw::library::OpenSurface::sheet(settings, dark);
        return ikw::ui::Color { sheet.red, sheet.green, sheet.blue, 1.0 };
    };
    return hooks;
}

// The shell's own page actions: the settings panel's "setcfg" and "seticon", the review pages'
// theme toggle. They reach the delegate when they run.
void registerShellActions(ikw::PageBridge& bridge)
{
    bridge.panels->actions().add("setcfg", [](const ikw::PanelAction& action) {
        const auto key = action.item("key");
        if (auto* delegate = ikw::appDelegate(); delegate && key)
            delegate->settingsHandler().applyConfig(*key, action.item("value").value_or(""));
    });
    bridge.panels->actions().add("seticon", [](const ikw::PanelAction& action) {
        const auto id = action.item("id");
        if (auto* delegate = ikw::appDelegate(); delegate && id)
            delegate->settingsHandler().setAppIcon(*id);
    });
    bridge.actions.add("appearance", [](const ikw::UrlAction&) {
        if (auto* delegate = ikw::appDelegate())
            delegate->appearance().toggleTheme();
    });
}

ikw::LaunchServices launchServices(const std::shared_ptr<ApplicationSlots>& slots)
{
    return ikw::LaunchServices {
        .noteSession = [] { ikw::services::Stats::noteSession(); },
        .openURLs = [slots](const std::vector<std::string>& items) {
            if (auto layer = slots->library.lock())
                layer->router().openURLs(items);
        },
        .openPanel = [slots](const std::string& kind, const std::vector<std::string>& extraArgs) {
            if (const auto panels = slots->panels.lock())
                panels->openPanel(kind, extraArgs);
        },
        .migrateRecents = [slots](const std::vector<ikw::RecentItem>& items) {
            if (const auto layer = slots->library.lock())
                layer->history().migrateRecentsIfNeeded(items);
        },
        .setupFeedback = [] { ikw::services::setupFeedback(ikw::globals()); },
        .startAgentBridge = [slots](std::weak_ptr<ikw::AppDelegate> delegate) {
            ikw::assistants::startAgentBridge(std::move(delegate), [slots] { return slots->library.lock(); });
        },
        .stopAgentBridge = [] { ikw::assistants::stopAgentBridge(); },
        // Rewrites already under way end in their files before the program does (their queue is
        // shared with the live searches, which finish too), and history recorded since the last
        // write is written. Feedback still on the network ends unanswered.
        .willTerminate = [slots] {
            ikw::services::Feedback::stopExchanges();
            slots->search->shutdown();
            slots->userInitiatedWorkers->waitUntilIdle();
            slots->annotations->waitUntilIdle();
            if (const auto layer = slots->library.lock())
                layer->history().flushNow();
        },
        .rebuildMenu = [slots] { slots->mainMenu->rebuildMenu(); },
        .provideServices = [slots](ikw::ui::Application& application) {
            ikw::finder::exportServices(application, [slots] { return slots->finder.lock(); });
        },
        .appearance = appearanceHooks(slots),
        .addConfigReactions = [slots](ikw::ConfigReactions& reactions) {
            // A new voice setting: every window chooses its voice again at its next reading.
            reactions.add("tts_voice", [slots](const std::string&) {
                if (const auto layer = slots->library.lock())
                    ikw::docops::forgetChosenVoices(layer->windows().windows());
            });
        },
    };
}

ikw::SettingsPanelFacts settingsPanelFacts(ikw::speech::SpeechService& speech)
{
    ikw::SettingsPanelFacts facts;
    facts.voicesJSON = [&speech] { return ikw::docops::ttsVoiceOptionsJSON(speech); };
    facts.appIconsDir = [] {
        auto* delegate = ikw::appDelegate();
        return delegate ? delegate->settingsHandler().appIconsDir() : std::string();
    };
    facts.nightWindow = [] { return ikw::IkwNight::windowLabel(ikw::nightConfigFromSettings(ikw::loadConfig())); };
    facts.finderExtensionEnabled = [] { return ikw::finder::IkwFinderExtension::isEnabled(); };
    facts.mcpStatusJSON = ikw::assistants::liveMCPStatusJSON;
    facts.openPalette = [] {
        const auto* delegate = ikw::appDelegate();
        return ikw::library::OpenSurface::palette(ikw::loadConfig(), delegate && delegate->effectiveIsDark());
    };
    return facts;
}

// The main menu in every review window, its commands, and the settings panel's shortcut action.
void registerMenuFeatures(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots)
{
    services.windowMade = [menu = std::weak_ptr(slots.mainMenu)](const std::shared_ptr<ikw::ui::Window>& window) {
        if (const auto shown = menu.lock())
            shown->attach(window);
    };
    auto& commands = slots.menuCommands;
    ikw::registerShellMenuCommands(commands, [menu = std::weak_ptr(slots.mainMenu)] {
        const auto shown = menu.lock();
        return shown ? shown->windows() : std::vector<std::shared_ptr<ikw::ui::Window>> {};
    });
    commands.add("showSettings:", [panels = std::weak_ptr(bridge.panels)](const ikw::MenuUse&) {
        if (const auto open = panels.lock())
            open->showSettings();
    });
    ikw::library::registerMenuCommands(commands, [&slots] { return slots.library.lock(); });
    ikw::registerAppearanceMenuCommands(commands, [] { return ikw::appDelegate(); });
    commands.add("openVisualCompare:", [&slots](const ikw::MenuUse&) {
        if (slots.visualCompare)
            slots.visualCompare->openVisualCompare();
    });
    ikw::docops::registerPrintMenuCommand(commands, [&slots] {
        const auto layer = slots.library.lock();
        return layer ? ikw::library::keyReviewWC(layer->windows()) : nullptr;
    });
    bridge.panels->actions().add("setshortcut", [](const ikw::PanelAction& action) {
        const auto id = action.item("action");
        if (!id)
            return;
        if (auto* delegate = ikw::appDelegate())
            delegate->setShortcut(*id, action.item("combo").value_or(""));
    });
}

// Every feature's page actions, messages and entries in the review window's table. A feature that
// does not exist yet has no rows.
void registerWindowFeatures(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots)
{
    namespace Stats = ikw::services::Stats;
    ikw::registerStatMessage(bridge.messages, ikw::StatSink {
        .record = [](const std::string& id) { Stats::record(id); },
        .funnel = [](const std::string& flow, const std::string& step) { Stats::funnel(flow, step); },
    });
    // The library is made after the review windows; its rows look it up when they run.
    registerShellActions(bridge);
    ikw::library::registerActions(bridge.actions, [&slots] { return slots.library.lock(); });
    ikw::library::registerPanelActions(bridge.panels->actions(), [&slots] { return slots.library.lock(); });

    const ikw::docops::PageOpServices pageOps {
        .toolkit = services.toolkit,
        .rewrites = &slots.pageRewrites,
        .reloadSettingsPanelIfOpen = [panels = std::weak_ptr(bridge.panels)] {
            if (const auto open = panels.lock())
                open->reloadSettingsPanelIfOpen();
        },
        .readerURL = [](const std::string& pdf) { return ikw::library::readerURL({ .pdf = pdf, .orig = pdf }); },
        .speech = &slots.speech,
        .readerShowsDocument = ikw::crossdoc::noteReaderShowsDocument,
    };
    ikw::docops::registerActions(bridge.actions, pageOps);
    ikw::docops::registerFeatures(services.features, pageOps);
    ikw::docops::registerShrinkMenuCommand(slots.menuCommands, pageOps, [&slots] {
        const auto layer = slots.library.lock();
        return layer ? ikw::docops::KeyDocument { ikw::library::keyReviewWC(layer->windows()), ikw::library::currentDocPath(layer->windows()) }
                     : ikw::docops::KeyDocument {};
    });
    slots.visualCompare = std::make_shared<ikw::crossdoc::VisualCompare>(services.toolkit->dialogs(), [&slots] { return slots.library.lock(); });
    ikw::crossdoc::registerActions(bridge.actions, {
        .workers = slots.userInitiatedWorkers.get(),
        .links = slots.links,
        .annotations = { .toolkit = services.toolkit, .documents = slots.annotations.get() },
        .search = slots.search,
        .visualCompare = slots.visualCompare,
    });
    ikw::finder::registerActions(bridge.actions, {
        .grid = { .workers = slots.userInitiatedWorkers.get(), .dialogs = &services.toolkit->dialogs() },
        .cloud = { .workers = slots.userInitiatedWorkers.get(), .toolkit = services.toolkit },
        .homeFolder = [] { return ikw::globals().home; },
    });
    registerMenuFeatures(services, bridge, slots);
    ikw::assistants::registerMCPPanelActions(bridge.panels->actions(),
        std::make_shared<ikw::assistants::MCPSettingsActions>(ikw::assistants::MCPSettingsActions::Hooks {
            .dialogs = services.toolkit->dialogs(),
            .reloadSettingsPanelIfOpen = pageOps.reloadSettingsPanelIfOpen,
        }));
}

// What reaches the application from the file manager, opened through the library. Online shares
// do not exist yet, so a confirmed share is logged and dropped.
std::shared_ptr<ikw::finder::FinderIntake> makeFinderIntake(ikw::ui::Dialogs& dialogs, ApplicationSlots& slots)
{
    const auto library = [&slots] { return slots.library.lock(); };
    return std::make_shared<ikw::finder::FinderIntake>(dialogs, ikw::finder::FinderHooks {
        .noteDidOpen = [library] {
            if (const auto layer = library())
                layer->openers().noteDidOpen();
        },
        .runEngine = [library](const std::vector<std::string>& paths) {
            if (const auto layer = library())
                layer->router().runEngine(paths);
        },
        .activate = [library] {
            if (const auto layer = library())
                layer->openers().activate();
        },
    });
}

// The registry, keeping `part` alive for as long as it lives.
template<typename Part>
std::shared_ptr<ikw::ReviewWindowRegistry> alsoOwning(std::shared_ptr<ikw::ReviewWindowRegistry> registry, std::shared_ptr<Part> part)
{
    auto* const raw = registry.get();
    auto both = std::make_shared<std::pair<std::shared_ptr<ikw::ReviewWindowRegistry>, std::shared_ptr<Part>>>(std::move(registry), std::move(part));
    return std::shared_ptr<ikw::ReviewWindowRegistry>(both, raw);
}

std::shared_ptr<ikw::ReviewWindowRegistry> makeWindows(ikw::ui::Toolkit& toolkit, ApplicationSlots& slots)
{
    // The updater asks its questions once the toolkit exists.
    ikw::services::KDUpdate::state()->dialogs = &toolkit.dialogs();
    std::shared_ptr<ikw::PageBridge> bridge;
    const auto installBridge = [&bridge, &slots](ikw::ReviewServices& services) {
        ikw::ReviewActionParts parts;
        parts.recordStat = [](const std::string& id) { ikw::services::Stats::record(id); };
        bridge = ikw::installPageBridge(services, settingsPanelFacts(slots.speech), std::move(parts));
        registerWindowFeatures(services, *bridge, slots);
    };
    const ikw::library::LibraryHooks libraryHooks {
        .recordUsage = [](const std::string& feature) { ikw::services::Stats::record(feature); },
        .rebuildMenu = [menu = std::weak_ptr(slots.mainMenu)] {
            if (const auto shown = menu.lock())
                shown->rebuildMenu();
        },
        .handleFinderExtensionURL = [&slots](const std::string& url) {
            if (const auto finder = slots.finder.lock())
                finder->handleFinderExtensionURL(url);
        },
        .readerPdf = ikw::crossdoc::readerPdfFor,
        .menuResponder = [&slots](ikw::ui::Window& window) { return slots.menuCommands.responderFor(&window); },
    };
    auto windows = ikw::library::makeLibraryWindowLayer(toolkit, slots.library, libraryHooks, installBridge);
    auto finder = makeFinderIntake(toolkit.dialogs(), slots);
    slots.finder = finder;
    if (bridge) {
        // The bridge lives in the layer's services, so the list outlives every use of it.
        if (auto* list = dynamic_cast<ikw::ReviewWindows*>(windows.get()))
            bridge->openWindows = [list] { return list->windows(); };
        slots.panels = bridge->panels;
    }
    return alsoOwning(std::move(windows), std::move(finder));
}

// The permission wizard's skipped sets and the identity its state file reports. Its window comes
// with a presenter once the wizard has screens to draw.
void installPermissionWizardHost(const ikw::Globals& globals)
{
    ikw::wizard::KDPermissionWizard::setHost({
        .userDefaults = ikw::appUserDefaults(),
        .identity = ikw::wizard::KDWizardIdentity { globals.appInfo.identifier, globals.appInfo.bundleDir },
        .presenter = nullptr,
        // The delegate exists by the time the wizard shows and subscribes.
        .subscribeBecameActive = [](std::function<void()> handler) -> std::function<void()> {
            auto* delegate = ikw::appDelegate();
            return delegate ? delegate->observeBecameActive(std::move(handler)) : std::function<void()> {};
        },
    });
}

void installStores(const ikw::Globals& globals)
{
    namespace Stats = ikw::services::Stats;
    Stats::install(std::make_shared<ikw::services::StatsStore>(Stats::productConfig(globals.appInfo.identifier)));
}

// The updater's state; after a swap with relaunch it quits the application as the user's Quit does.
void installUpdater()
{
    namespace KDUpdate = ikw::services::KDUpdate;
    auto updater = std::make_shared<KDUpdate::State>();
    updater->requestQuit = [] {
        if (ikw::AppDelegate* delegate = ikw::appDelegate())
            delegate->terminate();
    };
    KDUpdate::install(std::move(updater));
}

}

int main(int argc, char** argv)
{
    ikw::installGlobals(std::make_shared<const ikw::Globals>(ikw::Globals::build(ikw::Paths::fromEnvironment())));
    installPermissionWizardHost(ikw::globals());

    const ikw::CommandLine commandLine(argc, argv);
    ikw::ToolSwitches switches;
    registerToolSwitches(switches);
    if (const auto status = switches.run(commandLine))
        return *status;
    installStores(ikw::globals());
    installUpdater();
    auto slots = std::make_shared<ApplicationSlots>();
    return ikw::runRegularStart(argc, argv, launchServices(slots),
        [slots](ikw::ui::Toolkit& toolkit) { return makeWindows(toolkit, *slots); });
}
