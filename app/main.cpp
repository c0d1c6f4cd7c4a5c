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
#include "assistants/AskDocuments.h"
#include "assistants/AssistantActions.h"
#include "assistants/MCPSettingsActions.h"
#include "assistants/Organizer.h"
#include "assistants/PhotoSorting.h"
#include "assistants/ReaderHelpers.h"
#include "crossdoc/AnnotationActions.h"
#include "crossdoc/CompareIntake.h"
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/CrossFolderSearch.h"
#include "crossdoc/DraftTimeline.h"
#include "crossdoc/LinksController.h"
#include "crossdoc/LivePdfSearch.h"
#include "crossdoc/SearchScope.h"
#include "docops/BatchTools.h"
#include "docops/DocumentPrinting.h"
#include "docops/EditorMode.h"
#include "docops/EditorSaving.h"
#include "docops/WordHandOff.h"
#include "crossdoc/VisualCompare.h"
#include "docops/ReadAloud.h"
#include "docops/ReviewPageOps.h"
#include "docops/ShrinkPdf.h"
#include "finder/FinderIntake.h"
#include "finder/DefaultAppActions.h"
#include "finder/DocumentMenuCommands.h"
#include "finder/FileActions.h"
#include "finder/IkwDocMenu.h"
#include "finder/OpenWithMenus.h"
#include "finder/ReaderFileActions.h"
#include "finder/FinderServices.h"
#include "finder/IkwFinderExtension.h"
#include "finder/IkwFinderRequest.h"
#include "legal/BatesProduction.h"
#include "legal/SignatureCampaigns.h"
#include "legal/RedactionPages.h"
#include "legal/SignatureVault.h"
#include "library/GroupSync.h"
#include "legal/Signing.h"
#include "legal/FormFill.h"
#include "library/LibraryActions.h"
#include "library/LibraryLayer.h"
#include "library/OpenSurface.h"
#include "library/MenuForwarders.h"
#include "library/MenuRows.h"
#include "library/ReaderURL.h"
#include "library/WindowLookup.h"
#include "permission-wizard/KDPermissionProbes.h"
#include "permission-wizard/KDPermissionWizard.h"
#include "permission-wizard/PermissionLintSwitch.h"
#include "permission-wizard/gtk/GtkWizardPresenter.h"
#include "permission-wizard/gtk/PermissionShotSwitch.h"
#include "permission-wizard/setup/FullDiskAccess.h"
#include "permission-wizard/setup/IkwPermissions.h"
#include "permission-wizard/setup/PermissionActions.h"
#include "platform/ui/gtk/Desktop.h"
#include "review/PageBridge.h"
#include "review/ReviewWindows.h"
#include "platform/core/Process.h"
#include "platform/core/WorkQueue.h"
#include "platform/ocr/TesseractRecognizer.h"
#include "platform/photos/FolderPhotoLibrary.h"
#include "platform/speech/EspeakSynthesizer.h"
#include "services/AccountActions.h"
#include "services/AccountSetup.h"
#include "services/Feedback.h"
#include "services/FinderShare.h"
#include "services/IkwOnline.h"
#include "services/OnlineShares.h"
#include "services/PairBeaconLaunch.h"
#include "services/PairingActions.h"
#include "services/FeedbackSetup.h"
#include "services/KDUpdate.h"
#include "services/KDUpdateMenu.h"
#include "services/OakruneActions.h"
#include "services/gtk/FeedbackWindow.h"
#include "services/Stats.h"

#include <gio/gio.h>

#include <iostream>
#include <memory>

namespace {

void registerToolSwitches(ikw::ToolSwitches& switches)
{
    const auto configurePermissions = [] { ikw::setup::IkwPermissions::configure(false); };
    switches.set("--permission-lint", [configurePermissions](const ikw::CommandLine& line) {
        return ikw::wizard::runPermissionLintSwitch(line.arguments(), configurePermissions);
    });
    switches.set("--night-selftest", [](const ikw::CommandLine&) { return ikw::IkwNight::selftest(); });
    switches.set("--finder-url-selftest", [](const ikw::CommandLine&) { return ikw::finder::IkwFinderRequest::selftest() ? 0 : 1; });
    switches.set("--selftest-vault", [](const ikw::CommandLine&) { return ikw::legal::SignatureVault::shared().selftest(std::cout) ? 0 : 1; });
    switches.set("--welcome-shot", ikw::runWelcomeShot);
    switches.set("--permission-shot", [configurePermissions](const ikw::CommandLine& line) {
        return ikw::wizard::gtk::runPermissionShotSwitch(line.arguments(), {
            .configureApplication = configurePermissions,
            .applicationName = ikw::globals().brand.name,
            .appIconPath = ikw::globals().appInfo.iconPath,
            .workspace = nullptr,
        });
    });
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
    std::weak_ptr<ikw::setup::FullDiskAccess> fullDiskAccess;
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
        .updateSubmenuItem = [] { return ikw::services::KDUpdate::updateSubmenuItem(ikw::globals().brand.name); },
    });
    // The visual page diff, made with the toolkit's panels.
    std::shared_ptr<ikw::crossdoc::VisualCompare> visualCompare;
    // Bates production windows and the folders their runs are writing into.
    std::shared_ptr<ikw::legal::BatesProduction> bates;
    // Redaction pages and the saves of their redacted copies.
    std::shared_ptr<ikw::legal::RedactionPages> redaction;
    // Signature campaign windows, answered by the engine's campaigns script.
    std::shared_ptr<ikw::legal::SignatureCampaigns> campaigns;
    // The reader's signing: the vault bridge, signature images, signed copies and sign runs.
    std::shared_ptr<ikw::legal::Signing> signing;
    // Organize into folders (the tools menu's "Organize into Folders…" opens its folder panel) and
    // ask a document or folder.
    ikw::assistants::Assistants assistants;
    // The compare intake, made with the toolkit's panels.
    std::shared_ptr<ikw::crossdoc::CompareIntake> compareIntake;
    // The draft timeline, made with the toolkit's panels.
    std::shared_ptr<ikw::crossdoc::DraftTimeline> draftTimeline;
    // The account's browser sign-in and the queue of its stores and exchanges.
    std::unique_ptr<ikw::ui::WebAuthSessions> signInSessions;
    std::unique_ptr<ikw::WorkQueue> accountQueue = ikw::makeSerialQueue("com.norvale.inkwarden.account");
    // Becoming the desktop's default viewer: the user's mimeapps.list and the claims over it.
    ikw::ui::gtk3::DefaultApplications defaultApplications;
    std::shared_ptr<ikw::finder::DefaultAppClaims> defaultApps;
    // The one "Send Feedback" window.
    std::shared_ptr<ikw::services::gtk::FeedbackWindows> feedback;
    // The applications able to open a document (their desktop entries read once per run) and the
    // tabs' document menu.
    std::shared_ptr<ikw::finder::IkwOpenWith> openWith;
    std::shared_ptr<ikw::finder::IkwDocMenu> docMenu;
    // The pairing code in the settings, the library beacon in the secret stores, and the launch's
    // pairing step on its own queue.
    std::shared_ptr<ikw::services::PairCodeStore> pairCodes = std::make_shared<ikw::services::PairCodeStore>(ikw::services::PairCodeStore::process());
    std::shared_ptr<const ikw::services::MacPairBeacon> pairBeacon = std::make_shared<const ikw::services::MacPairBeacon>(ikw::services::MacPairBeacon::system());
    ikw::services::PairBeaconLaunch pairBeaconLaunch { {
        .codes = pairCodes,
        .beacon = pairBeacon,
        .reloadSettingsPanelIfOpen = [this] {
            if (const auto open = panels.lock())
                open->reloadSettingsPanelIfOpen();
        },
    } };
    // The contract library's connection, agreements panel and archive.
    std::shared_ptr<ikw::services::OakruneActions> oakrune;
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
        .loadClosedTabs = [slots] {
            if (const auto layer = slots->library.lock())
                layer->closedTabs().loadClosedTabs();
        },
        .openURLs = [slots](const std::vector<std::string>& items) {
            // The sign-in's callbacks go to the sign-in; everything else to the open router.
            std::vector<std::string> rest;
            for (const auto& item : items) {
                if (ikw::ui::urlScheme(item) != ikw::services::IkwAccount::callbackScheme)
                    rest.push_back(item);
                else if (slots->signInSessions)
                    slots->signInSessions->deliver(item);
            }
            if (auto layer = slots->library.lock(); layer && !rest.empty())
                layer->router().openURLs(rest);
        },
        .openPanel = [slots](const std::string& kind, const std::vector<std::string>& extraArgs) {
            if (const auto panels = slots->panels.lock())
                panels->openPanel(kind, extraArgs);
        },
        .migrateRecents = [slots](const std::vector<ikw::RecentItem>& items) {
            if (const auto layer = slots->library.lock())
                layer->history().migrateRecentsIfNeeded(items);
        },
        // The permission wizard and the Full Disk Access prompt.
        .configurePermissions = [] { ikw::setup::IkwPermissions::configure(true, std::make_shared<ikw::ui::gtk3::Workspace>()); },
        .refreshPermissionState = [] { ikw::setup::IkwPermissions::refreshRecordedState(); },
        .maybeFirstRunFDA = [slots] {
            if (const auto access = slots->fullDiskAccess.lock())
                access->maybeFirstRunFDA();
        },
        .presentPermissionsIfNeeded = [] { ikw::wizard::KDPermissionWizard::presentIfNeeded(); },
        .scheduleAttachSweep = [slots] {
            if (slots->docMenu)
                slots->docMenu->scheduleAttachSweep();
        },
        // The updater's status lines retitle the App menu's status entry.
        .setupAutoUpdate = [menu = std::weak_ptr(slots->mainMenu)] {
            ikw::services::KDUpdate::setupAutoUpdate(ikw::globals().appInfo.identifier, [menu](const std::string& title) {
                if (const auto shown = menu.lock())
                    shown->setUpdateStatusTitle(title);
            });
        },
        .setupFeedback = [] { ikw::services::setupFeedback(ikw::globals()); },
        .startAgentBridge = [slots](std::weak_ptr<ikw::AppDelegate> delegate) {
            ikw::assistants::startAgentBridge(std::move(delegate), [slots] { return slots->library.lock(); });
        },
        .startPairBeacon = [slots](std::weak_ptr<ikw::AppDelegate> delegate) { slots->pairBeaconLaunch.start(std::move(delegate)); },
        .stopAgentBridge = [] { ikw::assistants::stopAgentBridge(); },
        // The schedule ends with the main loop; a staged update takes the application's place.
        .installPendingUpdate = [] {
            ikw::services::KDUpdate::stopSchedule();
            ikw::services::KDUpdate::installPendingOnQuitIfAny();
        },
        // Rewrites already under way end in their files before the program does (their queue is
        // shared with the live searches, which finish too), and history recorded since the last
        // write is written. Feedback still on the network ends unanswered.
        .willTerminate = [slots] {
            // The wizard's window and its ticker go while the toolkit and the main queue exist.
            ikw::wizard::KDPermissionWizard::close();
            ikw::services::Feedback::stopExchanges();
            // The pairing step may still hop to the main queue, which goes with the loop.
            slots->pairBeaconLaunch.waitUntilIdle();
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
            // Switching it off deletes the file at once; switching it on writes the list.
            reactions.add("remember_closed_tabs", [slots](const std::string&) {
                if (const auto layer = slots->library.lock())
                    layer->closedTabs().saveClosedTabs();
            });
        },
        .windowlessMenuResponder = [slots] { return slots->menuCommands.responderFor(nullptr); },
    };
}

ikw::SettingsPanelFacts settingsPanelFacts(ApplicationSlots& slots)
{
    ikw::SettingsPanelFacts facts;
    facts.voicesJSON = [&speech = slots.speech] { return ikw::docops::ttsVoiceOptionsJSON(speech); };
    // The claims are made with the features, after the panels; they are looked up when asked.
    facts.isDefaultPDFApp = [&slots] { return slots.defaultApps && slots.defaultApps->isDefaultPDFApp(); };
    facts.defaultGroupsJSON = [&slots] { return slots.defaultApps ? slots.defaultApps->defaultGroupsJSON() : std::string("[]"); };
    facts.appIconsDir = [] {
        auto* delegate = ikw::appDelegate();
        return delegate ? delegate->settingsHandler().appIconsDir() : std::string();
    };
    facts.nightWindow = [] { return ikw::IkwNight::windowLabel(ikw::nightConfigFromSettings(ikw::loadConfig())); };
    facts.finderExtensionEnabled = [] { return ikw::finder::IkwFinderExtension::isEnabled(); };
    facts.hasFullDiskAccess = [&slots] {
        const auto access = slots.fullDiskAccess.lock();
        return !access || access->hasFDA();
    };
    facts.mcpStatusJSON = ikw::assistants::liveMCPStatusJSON;
    facts.oakruneStatusJSON = ikw::services::liveOakruneStatusJSON;
    facts.accountStatusJSON = [] { return ikw::services::accountStatusJSON(ikw::services::account().get()); };
    facts.syncStatusJSON = [&slots] { return ikw::services::syncStatusJSON(*slots.pairCodes, *slots.pairBeacon); };
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
    // Zoom, sorting, the page commands, undo and the Tools reach the front page's functions.
    ikw::library::registerForwarderCommands(commands, [&slots] { return slots.library.lock(); },
        {
            .dialogs = &services.toolkit->dialogs(),
            .openOrganize = [&slots] {
                if (slots.assistants.organizer)
                    slots.assistants.organizer->openOrganize();
            },
            .applyConfig = [](const std::string& key, const std::string& value) {
                if (auto* delegate = ikw::appDelegate())
                    delegate->settingsHandler().applyConfig(key, value);
            },
        });
    // The status item's "Open Recent" follows every rebuild of the main menu.
    slots.mainMenu->setRebuildListener([](const ikw::MainMenuInputs& inputs) {
        if (auto* delegate = ikw::appDelegate())
            delegate->menuBarItem().showRecents(inputs.recentItems, inputs.exists);
    });
    ikw::registerAppearanceMenuCommands(commands, [] { return ikw::appDelegate(); });
    commands.add("openVisualCompare:", [&slots](const ikw::MenuUse&) {
        if (slots.visualCompare)
            slots.visualCompare->openVisualCompare();
    });
    ikw::legal::registerMenuCommands(commands, slots.bates);
    ikw::legal::registerMenuCommands(commands, slots.redaction);
    ikw::legal::registerMenuCommands(commands, slots.campaigns);
    ikw::assistants::registerMenuCommands(commands, slots.assistants);
    commands.add("openCompare:", [&slots](const ikw::MenuUse&) {
        if (slots.compareIntake)
            slots.compareIntake->openCompare();
    });
    commands.add("openDraftTimelinePicker:", [&slots](const ikw::MenuUse&) {
        if (slots.draftTimeline)
            slots.draftTimeline->openDraftTimelinePicker();
    });
    ikw::docops::registerPrintMenuCommand(commands, [&slots] {
        const auto layer = slots.library.lock();
        return layer ? ikw::library::keyReviewWC(layer->windows()) : nullptr;
    });
    // The updater's "Software Update" switches, its check marks set again at every opening, and
    // its check from the menu and the settings panel.
    ikw::services::KDUpdate::registerUpdateMenuCommands(commands);
    slots.mainMenu->setMenuFiller(ikw::services::KDUpdate::kSoftwareUpdateTitle, ikw::services::KDUpdate::refreshSoftwareUpdateMenu);
    ikw::services::KDUpdate::registerUpdatePanelAction(bridge.panels->actions());
    slots.feedback = std::make_shared<ikw::services::gtk::FeedbackWindows>(ikw::services::gtk::FeedbackWindowHost {
        .clipboard = &services.toolkit->clipboard(),
        .workspace = &services.toolkit->workspace(),
    });
    ikw::services::gtk::registerFeedbackMenuCommand(commands, slots.feedback);
    bridge.panels->actions().add("setshortcut", [](const ikw::PanelAction& action) {
        const auto id = action.item("action");
        if (!id)
            return;
        if (auto* delegate = ikw::appDelegate())
            delegate->setShortcut(*id, action.item("combo").value_or(""));
    });
}

// The online shares' way to the account, the key review, the counters and the pages.
ikw::services::ShareHooks shareHooks(ApplicationSlots& slots)
{
    namespace Stats = ikw::services::Stats;
    return ikw::services::ShareHooks {
        .keyReviewWC = [&slots] {
            const auto layer = slots.library.lock();
            return layer ? ikw::library::keyReviewWC(layer->windows()) : nullptr;
        },
        .record = [](const std::string& id) { Stats::record(id); },
        .funnel = [](const std::string& flow, const std::string& step) { Stats::funnel(flow, step); },
        .broadcastToken = [&slots] {
            if (const auto layer = slots.library.lock())
                ikw::services::IkwOnline::broadcastToken(ikw::services::account().get(), layer->windows().windows());
        },
    };
}

// The account: made once the desktop's workspace exists, with its page messages, the settings
// panel's action and the menu entry.
void registerAccount(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots)
{
    slots.signInSessions = std::make_unique<ikw::ui::WebAuthSessions>(services.toolkit->workspace());
    ikw::services::setUpAccount(ikw::globals().secretsPath, *slots.signInSessions, *slots.accountQueue,
        [menu = std::weak_ptr(slots.mainMenu)] {
            if (const auto shown = menu.lock())
                shown->rebuildMenu();
        });
    const auto keyReview = [&slots] {
        const auto layer = slots.library.lock();
        return layer ? ikw::library::keyReviewWC(layer->windows()) : nullptr;
    };
    const auto broadcastToken = shareHooks(slots).broadcastToken;
    const ikw::services::AccountHooks hooks {
        .keyReviewWC = keyReview,
        .record = [](const std::string& id) { ikw::services::Stats::record(id); },
        .broadcastToken = broadcastToken,
    };
    ikw::services::registerAccountMessages(bridge.messages, hooks);
    ikw::services::registerAccountPanelAction(bridge.panels->actions(), hooks);
    ikw::services::registerAccountMenuCommand(slots.menuCommands, hooks);
    // Review pages boot with the account as it is when their window is made.
    services.bootScript = [] { return ikw::services::IkwOnline::bootJS(ikw::services::account().get()); };
    ikw::services::registerShareMenuCommands(slots.menuCommands, shareHooks(slots));
}

// The contract library: the settings and agreements panels' actions and the two menu entries.
void registerOakrune(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots)
{
    const std::weak_ptr<ikw::Panels> panels = bridge.panels;
    slots.oakrune = std::make_shared<ikw::services::OakruneActions>(ikw::services::OakruneHooks {
        .dialogs = services.toolkit->dialogs(),
        .workers = *slots.userInitiatedWorkers,
        .currentDocPath = [&slots] {
            const auto layer = slots.library.lock();
            return layer ? ikw::library::currentDocPath(layer->windows()) : std::nullopt;
        },
        .openReader = [&slots](const std::string& path) {
            if (const auto layer = slots.library.lock())
                layer->openers().openReader(path, {});
        },
        .openPanel = [panels](const std::string& kind, const std::vector<std::string>& extraArgs) {
            if (const auto open = panels.lock())
                open->openPanel(kind, extraArgs);
        },
        .closePanels = [panels](const std::string& kind) {
            if (const auto open = panels.lock())
                open->closePanels(kind);
        },
        .reloadSettingsPanelIfOpen = [panels] {
            if (const auto open = panels.lock())
                open->reloadSettingsPanelIfOpen();
        },
        .brandName = ikw::globals().brand.name,
    });
    ikw::services::registerOakrunePanelActions(bridge.panels->actions(), slots.oakrune);
    ikw::services::registerOakruneMenuCommands(slots.menuCommands, slots.oakrune);
}

// Pairing a phone: the sheet from the menu and the settings panel, and the panel's two moves
// between libraries.
void registerPairing(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots)
{
    const ikw::services::PairingServices pairing {
        .codes = slots.pairCodes,
        .beacon = slots.pairBeacon,
        .dialogs = &services.toolkit->dialogs(),
        .clipboard = &services.toolkit->clipboard(),
        .keyReviewWC = [&slots] {
            const auto layer = slots.library.lock();
            return layer ? ikw::library::keyReviewWC(layer->windows()) : nullptr;
        },
        .reloadSettingsPanelIfOpen = [panels = std::weak_ptr(bridge.panels)] {
            if (const auto open = panels.lock())
                open->reloadSettingsPanelIfOpen();
        },
    };
    ikw::services::registerPairingPanelActions(bridge.panels->actions(), pairing);
    ikw::services::registerPairingMenuCommand(slots.menuCommands, pairing);
}

// What the file actions on a window's document run with.
ikw::finder::DocumentFileServices documentFileServices(ikw::ReviewServices& services, ApplicationSlots& slots)
{
    return ikw::finder::DocumentFileServices {
        .workers = slots.userInitiatedWorkers.get(),
        .toolkit = services.toolkit,
        .readerURL = [](const std::string& pdf, const std::string& document) { return ikw::library::readerURL({ .pdf = pdf, .orig = document }); },
        .startProgram = [](const std::vector<std::string>& argv) {
            std::vector<std::string> command = argv;
            command.front() = ikw::findExecutable(argv.front());
            return !command.front().empty() && ikw::startDetachedProcess(command).started;
        },
    };
}

// The reader's and the menus' actions on the document a window shows.
void registerDocumentFileActions(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots)
{
    const ikw::finder::DocumentFileServices files = documentFileServices(services, slots);
    ikw::finder::registerDocumentActions(bridge.actions, files);
    ikw::finder::registerMenuCommands(slots.menuCommands, {
        .files = files,
        .keyReview = [&slots] {
            const auto layer = slots.library.lock();
            return layer ? ikw::library::keyReviewWC(layer->windows()) : nullptr;
        },
        .currentDocPath = [&slots] {
            const auto layer = slots.library.lock();
            return layer ? ikw::library::currentDocPath(layer->windows()) : std::nullopt;
        },
        .rebuildMenu = [menu = std::weak_ptr(slots.mainMenu)] {
            if (const auto shown = menu.lock())
                shown->rebuildMenu();
        },
    });
}

// Becoming the default viewer: the claims over the desktop's defaults, their progress in every open
// page, the review page's offer and the settings panel's PDF switch.
void registerDefaultApps(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots)
{
    const auto reload = [panels = std::weak_ptr(bridge.panels)] {
        if (const auto open = panels.lock())
            open->reloadSettingsPanelIfOpen();
    };
    slots.defaultApps = ikw::finder::DefaultAppClaims::create({
        .workspace = &services.toolkit->workspace(),
        .defaultApps = &slots.defaultApplications,
        .resourcesDir = [] { return ikw::globals().paths.resourcesDir; },
        .windows = [&slots] {
            const auto layer = slots.library.lock();
            return layer ? layer->windows().windows() : std::vector<std::shared_ptr<ikw::ReviewWC>> {};
        },
        .panels = [panels = std::weak_ptr(bridge.panels)] {
            const auto open = panels.lock();
            return open ? open->panels() : std::vector<std::shared_ptr<ikw::PanelWC>> {};
        },
        .reloadSettingsPanelIfOpen = reload,
    });
    services.features.claimedDefaultAppTypeCount = [&slots] {
        return slots.defaultApps ? static_cast<int>(slots.defaultApps->claimedDefaultAppTypes().size()) : 0;
    };
    ikw::finder::registerDefaultAppActions(bridge.actions, bridge.panels->actions(), {
        .claims = [&slots] { return slots.defaultApps; },
        .userDefaults = ikw::appUserDefaults,
        .now = [] { return std::time(nullptr); },
        .brandName = ikw::globals().brand.name,
    });
}

// Signing in readers: its page actions, and the vault's signatures on every finished page load.
void registerSigning(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots, const ikw::docops::PageOpServices& pageOps)
{
    slots.signing = std::make_shared<ikw::legal::Signing>(ikw::legal::Signing {
        .vault = ikw::legal::SignatureBridge(ikw::legal::VaultCalls::of(ikw::legal::SignatureVault::shared()), {}),
        .copies = { .pageOps = pageOps },
        .runs = ikw::legal::SignRuns({
            .library = [&slots] { return slots.library.lock(); },
            // The library fills the slot after the windows exist.
            .snapshotVersionFile = [&services](const std::string& path) {
                if (services.features.snapshotVersionFile)
                    services.features.snapshotVersionFile(path);
            },
        }),
    });
    ikw::legal::registerActions(bridge.actions, slots.signing);
    services.features.pushSignatureVault = [signing = std::weak_ptr(slots.signing)](ikw::ReviewWC& window) {
        if (const auto shown = signing.lock())
            shown->vault.pushSignatureVault(window);
    };
}

// The "Open With" lists (the review page's "openmenu" pop-up, the main menu's submenu, a spreadsheet
// nothing else opens) and the tabs' document menu, whose sweep runs with every new review window.
void registerOpenWithMenus(ikw::ReviewServices& services, ikw::PageBridge& bridge, ApplicationSlots& slots,
    const ikw::docops::PageOpServices& pageOps, const ikw::docops::EditorServices& editor, const ikw::docops::EditorSaving& saving)
{
    auto& workspace = services.toolkit->workspace();
    slots.openWith = std::make_shared<ikw::finder::IkwOpenWith>(workspace, ikw::globals().paths.dataHome);
    ikw::finder::registerOpenWithCommands(slots.menuCommands, workspace);
    ikw::finder::registerOpenMenuAction(bridge.actions, {
        .openWith = slots.openWith,
        .menuResponder = [&slots](ikw::ui::Window& window) { return slots.menuCommands.responderFor(&window); },
    });
    const auto currentDocPath = [&slots] {
        const auto layer = slots.library.lock();
        return layer ? ikw::library::currentDocPath(layer->windows()) : std::nullopt;
    };
    slots.mainMenu->setMenuFiller("Open With", ikw::finder::openWithMenuFiller(slots.openWith, currentDocPath));
    const auto pageOpContext = [pageOps](ikw::ReviewWC& window) {
        return ikw::docops::PageOpContext { ikw::docops::makeReviewFileOpHost(window, pageOps), window.web, pageOps.rewrites };
    };
    slots.docMenu = ikw::finder::IkwDocMenu::create({
        .files = documentFileServices(services, slots),
        .openWith = slots.openWith,
        .windows = [&slots] {
            const auto layer = slots.library.lock();
            return layer ? layer->windows().windows() : std::vector<std::shared_ptr<ikw::ReviewWC>> {};
        },
        .wordAppURL = [word = saving.word] { return word ? word->wordAppURL() : std::nullopt; },
        .wordDocExts = ikw::docops::wordDocExts(),
        .openInWord = [word = saving.word](const std::string& path) {
            if (word)
                word->openInWord(path);
        },
        .editDocument = [editor](ikw::ReviewWC& window, bool stop) { ikw::docops::editDocument(window, editor, stop); },
        .saveEditorDocNow = [editor](ikw::ReviewWC& window) {
            if (editor.saveEditorDocNow)
                editor.saveEditorDocNow(window, [](bool) {});
        },
        .saveEditorCopy = editor.saveEditorCopy,
        .compressFile = [pageOpContext](ikw::ReviewWC& window, const std::string& path) { ikw::docops::compressFile(pageOpContext(window), path); },
        .compressPDF = [pageOpContext](ikw::ReviewWC& window) { ikw::docops::compressPDF(pageOpContext(window)); },
        .shareOnline = [&slots](ikw::ReviewWC& window) { ikw::services::shareOnline(window, "contextmenu", shareHooks(slots)); },
    });
    services.windowMade = [made = std::move(services.windowMade), menu = std::weak_ptr(slots.docMenu)](const std::shared_ptr<ikw::ui::Window>& window) {
        if (made)
            made(window);
        if (const auto shown = menu.lock())
            shown->scheduleAttachSweep();
    };
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
        .ocr = {
            .workers = slots.userInitiatedWorkers.get(),
            .recognizer = std::make_shared<ikw::ocr::TesseractRecognizer>(),
            .search = [](const std::string& q, const std::vector<std::string>& dirs, const std::vector<std::string>& files) {
                return ikw::crossdoc::runPDFSearch(q, dirs, files).toJson();
            },
            .scopeDirs = [](const ikw::ReviewWC& window) { return ikw::crossdoc::searchScopeDirs(window); },
        },
    };
    ikw::docops::registerActions(bridge.actions, pageOps);
    ikw::docops::registerFeatures(services.features, pageOps);
    // The text editor over readers, its saving and the hand-off to the desktop's word processor;
    // "editimage" serves the reader's PDF editing page.
    ikw::docops::EditorServices editorServices;
    editorServices.toolkit = services.toolkit;
    editorServices.reloadReaderInPlace = [&services](ikw::ReviewWC& window) {
        if (services.features.reloadReaderInPlace)
            services.features.reloadReaderInPlace(window);
    };
    const ikw::docops::EditorSaving editorSaving {
        .toolkit = services.toolkit,
        .fileSystem = nullptr,
        .word = std::make_shared<ikw::docops::WordHandOff>(services.toolkit->workspace(), [&services](const std::vector<std::string>& paths) {
            if (services.features.recordRecent)
                services.features.recordRecent(paths);
        }),
    };
    ikw::docops::connectEditorSaving(editorServices, editorSaving);
    ikw::docops::registerEditorActions(bridge.actions, editorServices);
    ikw::docops::registerEditorSavingActions(bridge.actions, editorServices, editorSaving);
    ikw::docops::registerEditorFeatures(services.features, editorServices, editorSaving);
    ikw::docops::registerEditMenuCommand(slots.menuCommands, editorServices, [&slots] {
        const auto layer = slots.library.lock();
        return layer ? ikw::library::keyReviewWC(layer->windows()) : nullptr;
    });
    ikw::docops::registerShrinkMenuCommand(slots.menuCommands, pageOps, [&slots] {
        const auto layer = slots.library.lock();
        return layer ? ikw::docops::KeyDocument { ikw::library::keyReviewWC(layer->windows()), ikw::library::currentDocPath(layer->windows()) }
                     : ikw::docops::KeyDocument {};
    });
    slots.visualCompare = std::make_shared<ikw::crossdoc::VisualCompare>(services.toolkit->dialogs(), [&slots] { return slots.library.lock(); });
    slots.compareIntake = std::make_shared<ikw::crossdoc::CompareIntake>(services.toolkit->dialogs(), [&slots] { return slots.library.lock(); });
    slots.draftTimeline = std::make_shared<ikw::crossdoc::DraftTimeline>(services.toolkit->dialogs(), [&slots] { return slots.library.lock(); });
    ikw::crossdoc::registerActions(bridge.actions, {
        .workers = slots.userInitiatedWorkers.get(),
        .links = slots.links,
        .annotations = { .toolkit = services.toolkit, .documents = slots.annotations.get() },
        .search = slots.search,
        .visualCompare = slots.visualCompare,
        .compareIntake = slots.compareIntake,
        .draftTimeline = slots.draftTimeline,
    });
    slots.bates = std::make_shared<ikw::legal::BatesProduction>(ikw::legal::BatesProductionServices {
        .library = [&slots] { return slots.library.lock(); },
        .workers = slots.userInitiatedWorkers.get(),
        .pageOps = pageOps,
        .resolvedScheme = services.resolvedScheme,
    });
    ikw::legal::registerActions(bridge.actions, slots.bates);
    slots.redaction = std::make_shared<ikw::legal::RedactionPages>(ikw::legal::RedactionServices {
        .library = [&slots] { return slots.library.lock(); },
        .pageOps = pageOps,
        .resolvedScheme = services.resolvedScheme,
    });
    ikw::legal::registerActions(bridge.actions, slots.redaction);
    slots.campaigns = std::make_shared<ikw::legal::SignatureCampaigns>(ikw::legal::CampaignServices {
        .library = [&slots] { return slots.library.lock(); },
        .dialogs = &services.toolkit->dialogs(),
        .resolvedScheme = services.resolvedScheme,
    });
    ikw::legal::registerActions(bridge.actions, slots.campaigns);
    registerSigning(services, bridge, slots, pageOps);
    // The reader's form info and the filled form written back in place.
    ikw::legal::registerActions(bridge.actions, ikw::legal::FormServices {
        .pageOps = pageOps,
        .workers = slots.userInitiatedWorkers.get(),
    });
    slots.assistants.organizer = std::make_shared<ikw::assistants::Organizer>(ikw::assistants::OrganizerServices {
        .library = [&slots] { return slots.library.lock(); },
        .pageOps = pageOps,
        .resolvedScheme = services.resolvedScheme,
    });
    slots.assistants.ask = std::make_shared<ikw::assistants::AskDocuments>(ikw::assistants::AskServices {
        .library = [&slots] { return slots.library.lock(); },
        .dialogs = &services.toolkit->dialogs(),
    });
    slots.assistants.reader = std::make_shared<ikw::assistants::ReaderHelpers>(ikw::assistants::ReaderHelperServices {
        .workers = slots.userInitiatedWorkers.get(),
    });
    // Photo sorting over the pictures folder.
    slots.assistants.photos = std::make_shared<ikw::assistants::PhotoSorting>(ikw::assistants::PhotoSortServices {
        .library = [&slots] { return slots.library.lock(); },
        .photos = std::make_shared<ikw::photos::FolderPhotoLibrary>(ikw::photos::FolderLibraryOptions { .folder = ikw::globals().paths.picturesDir() }),
        .dialogs = &services.toolkit->dialogs(),
        .workspace = &services.toolkit->workspace(),
        .shellEngine = [&services](std::vector<std::string> arguments) { services.shellEngine(std::move(arguments)); },
        .newLoadingFile = [&services] { return services.newLoadingFile(); },
    });
    ikw::assistants::registerActions(bridge.actions, slots.assistants);
    services.features.compareIntakeDrop = ikw::crossdoc::compareIntakeDrop;
    ikw::finder::registerActions(bridge.actions, {
        .grid = { .workers = slots.userInitiatedWorkers.get(), .dialogs = &services.toolkit->dialogs() },
        .cloud = { .workers = slots.userInitiatedWorkers.get(), .toolkit = services.toolkit },
        .homeFolder = [] { return ikw::globals().home; },
    });
    registerDocumentFileActions(services, bridge, slots);
    registerDefaultApps(services, bridge, slots);
    registerMenuFeatures(services, bridge, slots);
    registerAccount(services, bridge, slots);
    registerOpenWithMenus(services, bridge, slots, pageOps, editorServices, editorSaving);
    ikw::setup::registerActions(bridge.actions, bridge.panels->actions(), slots.fullDiskAccess, ikw::wizard::KDPermissionWizard::present);
    services.features.injectFDABanner = [access = slots.fullDiskAccess](ikw::ReviewWC& window) {
        if (const auto live = access.lock())
            live->injectFDABanner(window);
    };
    registerPairing(services, bridge, slots);
    registerOakrune(services, bridge, slots);
    ikw::assistants::registerMCPPanelActions(bridge.panels->actions(),
        std::make_shared<ikw::assistants::MCPSettingsActions>(ikw::assistants::MCPSettingsActions::Hooks {
            .dialogs = services.toolkit->dialogs(),
            .reloadSettingsPanelIfOpen = pageOps.reloadSettingsPanelIfOpen,
        }));
}

// What reaches the application from the file manager, opened through the library; a confirmed
// share opens the file and shares its reader once that is key.
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
        .finderShare = [library, &slots](const std::string& path) {
            const auto layer = library();
            if (!layer)
                return;
            ikw::services::finderShare(path, ikw::services::FinderShareHooks {
                .noteDidOpen = [library] {
                    if (const auto open = library())
                        open->openers().noteDidOpen();
                },
                .runEngine = [library](const std::string& one) {
                    if (const auto open = library())
                        open->router().runEngine({ one });
                },
                .windows = [library] {
                    const auto open = library();
                    return open ? open->windows().windows() : std::vector<std::shared_ptr<ikw::ReviewWC>> {};
                },
                .present = [](ikw::ReviewWC& reader) { ikw::library::bringToFront(reader); },
                .keyReviewWC = [library] {
                    const auto open = library();
                    return open ? ikw::library::keyReviewWC(open->windows()) : nullptr;
                },
                .share = [&slots](ikw::ReviewWC& reader) { ikw::services::shareOnline(reader, "finderservice", shareHooks(slots)); },
            });
        },
    });
}

// The Full Disk Access prompt. The desktop has no such gate, so the stock probe answers that
// access is granted: the first launch only notes itself and review pages get no banner.
std::shared_ptr<ikw::setup::FullDiskAccess> makeFullDiskAccess(ikw::ui::Workspace& workspace, ApplicationSlots& slots)
{
    return ikw::setup::FullDiskAccess::create({
        .probe = ikw::wizard::KDPermissionProbes::fullDiskAccess,
        .defaults = ikw::appUserDefaults(),
        .openPanel = [&slots](const std::string& kind, const std::vector<std::string>& extraArgs) {
            if (const auto panels = slots.panels.lock())
                panels->openPanel(kind, extraArgs);
        },
        .reloadSettingsPanelIfOpen = [&slots] {
            if (const auto panels = slots.panels.lock())
                panels->reloadSettingsPanelIfOpen();
        },
        .openWindows = [&slots] {
            const auto layer = slots.library.lock();
            return layer ? layer->windows().windows() : std::vector<std::shared_ptr<ikw::ReviewWC>> {};
        },
        // The icon the windows (and so the wizard's mark) show.
        .iconPath = [] {
            auto* delegate = ikw::appDelegate();
            return delegate ? delegate->settingsHandler().appIconPath() : ikw::globals().appInfo.iconPath;
        },
        .markFolder = ikw::globals().archive,
        .workspace = &workspace,
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
    // Made before the bridge registers its actions; it lives as long as the windows.
    auto fullDiskAccess = makeFullDiskAccess(toolkit.workspace(), slots);
    slots.fullDiskAccess = fullDiskAccess;
    // Reviews are published to the library of the stored pairing code (none is made for them).
    auto groupSync = ikw::library::GroupSync::make({
        .toolkit = &toolkit,
        .pairCode = [codes = slots.pairCodes] { return codes->pairCode(false); },
    });
    const auto installBridge = [&bridge, &slots, &groupSync](ikw::ReviewServices& services) {
        ikw::ReviewActionParts parts;
        parts.recordStat = [](const std::string& id) { ikw::services::Stats::record(id); };
        bridge = ikw::installPageBridge(services, settingsPanelFacts(slots), std::move(parts));
        registerWindowFeatures(services, *bridge, slots);
        ikw::library::registerGroupSync(services.features, groupSync);
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
        .openAppsMenu = [&slots](const std::string& path) {
            const auto layer = slots.library.lock();
            const auto key = layer ? ikw::library::keyReview(layer->windows()) : nullptr;
            if (key && !key->isClosed())
                ikw::finder::popUpOpenAppsMenu(key->window(), path, {
                    .openWith = slots.openWith,
                    .menuResponder = [&slots](ikw::ui::Window& window) { return slots.menuCommands.responderFor(&window); },
                });
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
    return alsoOwning(alsoOwning(alsoOwning(std::move(windows), std::move(finder)), std::move(groupSync)), std::move(fullDiskAccess));
}

// The permission wizard's skipped sets, the identity its state file reports and its GTK window,
// drawn light or dark as the application looks.
void installPermissionWizardHost(const ikw::Globals& globals)
{
    ikw::wizard::KDPermissionWizard::setHost({
        .userDefaults = ikw::appUserDefaults(),
        .identity = ikw::wizard::KDWizardIdentity { globals.appInfo.identifier, globals.appInfo.bundleDir },
        .presenter = std::make_shared<ikw::wizard::gtk::GtkWizardPresenter>(ikw::wizard::gtk::WizardDisplay {
            .isDark = [] {
                const ikw::AppDelegate* delegate = ikw::appDelegate();
                return delegate && delegate->effectiveIsDark();
            },
            .workspace = std::make_shared<ikw::ui::gtk3::Workspace>(),
            .appIconPath = globals.appInfo.iconPath,
        }),
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
