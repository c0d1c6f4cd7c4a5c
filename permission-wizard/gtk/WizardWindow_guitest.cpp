// The wizard's GTK window: drawn as "--permission-shot" draws it, the grant flow on a permission
// screen, and the one window across a title-bar close and the wizard's own close.
#include "permission-wizard/KDPermissionWizard.h"
#include "permission-wizard/PermissionFixtures.h"
#include "permission-wizard/gtk/GtkWizardPresenter.h"
#include "permission-wizard/gtk/MarkDragSource.h"
#include "permission-wizard/gtk/PermissionShotSwitch.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/testing/WindowPicture.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace ikw::wizard::gtk {
namespace {

void collect(GtkWidget* widget, std::vector<GtkWidget*>& found)
{
    found.push_back(widget);
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), +[](GtkWidget* child, gpointer list) {
            collect(child, *static_cast<std::vector<GtkWidget*>*>(list));
        }, &found);
}

std::vector<GtkWidget*> widgetsUnder(GtkWidget* root)
{
    std::vector<GtkWidget*> found;
    collect(root, found);
    return found;
}

GtkWidget* named(GtkWidget* root, const std::string& name)
{
    for (GtkWidget* widget : widgetsUnder(root)) {
        if (gtk_widget_get_visible(widget) && name == gtk_widget_get_name(widget))
            return widget;
    }
    return nullptr;
}

std::vector<std::string> texts(GtkWidget* root)
{
    std::vector<std::string> found;
    for (GtkWidget* widget : widgetsUnder(root)) {
        if (GTK_IS_LABEL(widget) && gtk_widget_get_visible(widget))
            found.emplace_back(gtk_label_get_text(GTK_LABEL(widget)));
    }
    return found;
}

bool showsText(GtkWidget* root, const std::string& text)
{
    const auto all = texts(root);
    return std::find(all.begin(), all.end(), text) != all.end();
}

void settle(double seconds = 0.3)
{
    ui::gtk3::runMainLoopUntil([] { return false; }, seconds);
}

std::vector<GtkWindow*> windowsTitled(const std::string& title)
{
    std::vector<GtkWindow*> found;
    GList* all = gtk_window_list_toplevels();
    for (GList* item = all; item; item = item->next) {
        const char* its = gtk_window_get_title(GTK_WINDOW(item->data));
        if (its && title == its)
            found.push_back(GTK_WINDOW(item->data));
    }
    g_list_free(all);
    return found;
}

// The window drawn into a PNG, its luminance sampled every third pixel.
ui::gtk3::testing::WindowPicture drawToPng(GtkWindow* window, const std::string& path)
{
    return ui::gtk3::testing::drawWindowToPng(window, path, 3);
}

// Two permissions: a required one with a hero, bullets and two rows to tick, and an optional one
// the user adds by dragging, with no picture of the dialog.
std::vector<KDPermission> twoPermissions()
{
    auto first = cleanPermission();
    first.hero = [](bool dark) {
        return HeroDiagram { [dark](cairo_t* context, double width, double height, double) {
            cairo_set_source_rgb(context, dark ? 0.3 : 0.2, 0.45, 0.9);
            cairo_rectangle(context, width * 0.2, height * 0.2, width * 0.6, height * 0.6);
            cairo_fill(context);
        } };
    };
    first.rowsToTick = { "Inkwarden", "Inkwarden Helper" };
    first.costOfSkipping = "Files keeps no menu items for reviews.";
    auto second = cleanPermission();
    second.id = "accessibility";
    second.title = "Accessibility";
    second.isOptional = true;
    second.requiresManualDrag = true;
    second.costOfSkipping = "Reviews still open from the library.";
    second.rowsToTick = { "Inkwarden" };
    return { first, second };
}

KDWizardBrand testBrand()
{
    const auto ink = [](bool dark) { return dark ? Color { 0.95, 0.95, 0.95, 1 } : Color { 0.1, 0.1, 0.1, 1 }; };
    const auto muted = [](bool dark) { return dark ? Color { 0.65, 0.65, 0.7, 1 } : Color { 0.4, 0.4, 0.45, 1 }; };
    const auto accent = [](bool) { return Color { 0.1, 0.45, 0.95, 1 }; };
    const auto ground = [](bool dark) { return dark ? Color { 0.1, 0.1, 0.11, 1 } : Color { 0.98, 0.98, 0.98, 1 }; };
    const auto white = [](bool) { return Color { 1, 1, 1, 1 }; };
    return KDWizardBrand(accent, ink, muted, ground, white, std::nullopt, KDWizardBrand::appIconMark());
}

// An application icon file from the system, so the mark has pixels.
const std::string kIconPath = "/usr/share/icons/hicolor/48x48/apps/gcr-key.png";

class WizardOnScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ui::gtk3::initializeGtk());
        KDPermissionWizard::reset();
        KDPermissionWizard::setHost({
            .userDefaults = UserDefaults(home.file("defaults.json")),
            .identity = KDWizardIdentity { "com.norvale.inkwarden", home.file("CulmoraPhotos.app") },
            .presenter = presenter,
            .subscribeBecameActive = [this](std::function<void()> handler) -> std::function<void()> {
                becameActive = std::move(handler);
                return [this] { becameActive = {}; };
            },
            .fileSystem = &realFileSystem(),
        });
        setenv("HOME", home.path().c_str(), 1);
    }
    void TearDown() override
    {
        KDPermissionWizard::reset();
        settle(0.05);
    }

    void configure(std::vector<KDPermission> permissions)
    {
        KDPermissionWizard::configure({ "Culmora", "culmora" }, testBrand(), std::move(permissions), false);
    }

    GtkWidget* shownWindow()
    {
        const auto windows = windowsTitled("Culmora Permissions");
        return windows.size() == 1 ? GTK_WIDGET(windows.front()) : nullptr;
    }

    testing::TempHome home;
    GLibMainQueue queue;
    ScopedMainQueue installedQueue { queue };
    std::shared_ptr<ui::fake::FakeWorkspace> workspace = std::make_shared<ui::fake::FakeWorkspace>();
    std::shared_ptr<GtkWizardPresenter> presenter = std::make_shared<GtkWizardPresenter>(WizardDisplay {
        .isDark = [] { return false; }, .workspace = workspace, .appIconPath = kIconPath });
    std::function<void()> becameActive;
};

TEST_F(WizardOnScreen, ShotDrawsEveryScreenLightAndDarkAtTheWindowSize)
{
    const std::string folder = std::getenv("IKW_PERMISSION_SHOTS") ? std::getenv("IKW_PERMISSION_SHOTS") : home.path();
    std::filesystem::create_directories(folder);
    struct Case {
        std::string step;
        std::vector<std::string> shownTexts;
        std::vector<std::string> shownParts;
    };
    const std::vector<Case> cases {
        { "summary", { "Set up Culmora", "Optional", "Get Started", "Not now" }, { "get-started", "not-now-button" } },
        { "findersync", { "Step 1 of 2", "Enable File Manager Extension", "Open in Settings…", "Skip for now",
                            "Files keeps no menu items for reviews.", "Open from the folder", "Inkwarden Helper" },
            { "boundary-callout", "guidance", "settings-link", "skip-button", "not-now-button" } },
        { "accessibility", { "Step 2 of 2", "Optional", "Skip", "drag me", "the list in Settings", "Turn on this entry:", "Back" },
            { "drag-guide", "drag-source", "drop-zone", "back-button" } },
        { "done", { "Ready when you are.", "Done", "Back" }, { "done-button", "back-button" } },
    };
    for (const bool light : { true, false }) {
        for (const auto& shot : cases) {
            SCOPED_TRACE(shot.step + (light ? " light" : " dark"));
            const auto window = showPermissionShot({ .step = shot.step, .light = light }, {
                .configureApplication = [this] { configure(twoPermissions()); },
                .applicationName = "Culmora",
                .appIconPath = kIconPath,
                .workspace = workspace,
            });
            settle();
            GtkWidget* root = GTK_WIDGET(window->window());
            for (const auto& text : shot.shownTexts)
                EXPECT_TRUE(showsText(root, text)) << text;
            for (const auto& part : shot.shownParts)
                EXPECT_NE(named(root, part), nullptr) << part;
            EXPECT_EQ(named(root, "continue-placeholder"), nullptr);
            EXPECT_FALSE(gtk_window_get_resizable(window->window()));
            // The brand's mark is the application's icon file, at its proportions.
            GtkWidget* mark = named(root, "mark");
            ASSERT_NE(mark, nullptr);
            int markWidth = 0;
            gtk_widget_get_size_request(mark, &markWidth, nullptr);
            EXPECT_GT(markWidth, 20);

            const auto picture = drawToPng(window->window(), folder + "/" + shot.step + (light ? "-light" : "-dark") + ".png");
            EXPECT_EQ(picture.width, 660);
            EXPECT_EQ(picture.height, 700);
            EXPECT_GT(picture.luminanceSpan, 0.35);
        }
    }
}

TEST_F(WizardOnScreen, TheDragSourceOffersTheBundleAndGrowsOnlyWithMotion)
{
    gboolean animationsBefore = TRUE;
    g_object_get(gtk_settings_get_default(), "gtk-enable-animations", &animationsBefore, nullptr);
    const auto window = showPermissionShot({ .step = "accessibility", .light = true }, {
        .configureApplication = [this] { configure(twoPermissions()); },
        .applicationName = "Culmora",
        .appIconPath = kIconPath,
        .workspace = workspace,
    });
    settle();
    GtkWidget* area = named(GTK_WIDGET(window->window()), "drag-source");
    ASSERT_NE(area, nullptr);
    auto* source = MarkDragSource::from(area);
    ASSERT_NE(source, nullptr);
    const std::string bundle = home.file("CulmoraPhotos.app");
    EXPECT_EQ(source->uriList(), "file://" + bundle + "\r\n");
    gchar* tooltip = gtk_widget_get_tooltip_text(area);
    EXPECT_STREQ(tooltip, "Drag Culmora into the list in Settings");
    g_free(tooltip);
    EXPECT_EQ(gtk_drag_dest_get_target_list(named(GTK_WIDGET(window->window()), "drop-zone")), nullptr);

    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", TRUE, nullptr);
    source->setHovering(true);
    EXPECT_DOUBLE_EQ(source->targetScale(), 1.06);
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([source] { return source->scale() == 1.06; }, 1.0));
    source->setHovering(false);
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    settle(0.3);
    source->setHovering(true);
    EXPECT_DOUBLE_EQ(source->targetScale(), 1.0);
    EXPECT_TRUE(source->hovering());
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", animationsBefore, nullptr);
}

TEST_F(WizardOnScreen, GrantButtonAsksWaitsAndShowsTheGrantWithoutMovingTheStep)
{
    auto granted = std::make_shared<bool>(false);
    auto secondGranted = std::make_shared<bool>(false);
    auto requests = std::make_shared<int>(0);
    auto permissions = twoPermissions();
    permissions[0].probe = [granted] { return *granted; };
    permissions[0].request = [requests] { ++*requests; };
    permissions[1].probe = [secondGranted] { return *secondGranted; };
    configure(permissions);
    KDPermissionWizard::present();
    settle(0.1);
    GtkWidget* window = shownWindow();
    ASSERT_NE(window, nullptr);

    gtk_button_clicked(GTK_BUTTON(named(window, "get-started")));
    ASSERT_TRUE(showsText(window, "Step 1 of 2"));
    gtk_button_clicked(GTK_BUTTON(named(window, "grant-button")));
    EXPECT_EQ(*requests, 1);
    EXPECT_EQ(workspace->openedUrls, std::vector<std::string> { permissions[0].settingsURL });
    EXPECT_NE(named(window, "continue-placeholder"), nullptr);
    EXPECT_NE(named(window, "waiting-note"), nullptr);

    *granted = true;
    EXPECT_TRUE(ui::gtk3::runMainLoopUntil([&] { return named(window, "granted-badge") != nullptr; }, 1.1));
    EXPECT_TRUE(showsText(window, "Step 1 of 2"));
    EXPECT_TRUE(showsText(window, "Continue"));
    EXPECT_EQ(named(window, "settings-link"), nullptr);

    gtk_button_clicked(GTK_BUTTON(named(window, "skip-button")));
    EXPECT_EQ(KDPermissionWizard::skippedIDs(), std::set<std::string> { "findersync" });
    EXPECT_TRUE(showsText(window, "Step 2 of 2"));
    EXPECT_EQ(named(window, "granted-badge"), nullptr);

    *secondGranted = true;
    ASSERT_TRUE(becameActive);
    becameActive();
    EXPECT_NE(named(window, "granted-badge"), nullptr);
}

TEST_F(WizardOnScreen, TitleBarCloseHidesTheOneWindowAndTheWizardsCloseDestroysIt)
{
    configure(twoPermissions());
    KDPermissionWizard::present();
    settle(0.1);
    GtkWidget* first = shownWindow();
    ASSERT_NE(first, nullptr);
    gtk_button_clicked(GTK_BUTTON(named(first, "close-button")));
    settle(0.1);
    EXPECT_FALSE(gtk_widget_get_visible(first));

    KDPermissionWizard::present();
    settle(0.1);
    EXPECT_EQ(shownWindow(), first);
    EXPECT_TRUE(gtk_widget_get_visible(first));

    // "Not now" is the wizard's own close.
    gtk_button_clicked(GTK_BUTTON(named(first, "not-now-button")));
    settle(0.1);
    EXPECT_TRUE(windowsTitled("Culmora Permissions").empty());

    KDPermissionWizard::present();
    settle(0.1);
    GtkWidget* second = shownWindow();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(second));
}

}
}
