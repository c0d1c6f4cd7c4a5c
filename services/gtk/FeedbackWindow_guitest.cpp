// The feedback window on the test display: reached from the Help menu, one at a time, fresh after
// a close, fixed in size, sending to a stand-in of the feedback service, and drawn in both looks.
#include "services/gtk/FeedbackWindow.h"

#include "app/Globals.h"
#include "app/MainMenuModel.h"
#include "app/MenuCommands.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/http/fake/LoopbackHttpServer.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/testing/WindowPicture.h"
#include "services/gtk/FeedbackWidgets.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ikw::services::gtk {
namespace {

void collect(GtkWidget* widget, std::vector<GtkWidget*>& found)
{
    found.push_back(widget);
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), +[](GtkWidget* child, gpointer list) {
            collect(child, *static_cast<std::vector<GtkWidget*>*>(list));
        }, &found);
}

// The widget called `name` that is drawn (it and every parent visible).
GtkWidget* shown(GtkWindow* window, const std::string& name)
{
    std::vector<GtkWidget*> all;
    collect(GTK_WIDGET(window), all);
    for (GtkWidget* widget : all) {
        if (name == gtk_widget_get_name(widget) && gtk_widget_is_drawable(widget))
            return widget;
    }
    return nullptr;
}

std::vector<std::string> shownTexts(GtkWindow* window)
{
    std::vector<GtkWidget*> all;
    collect(GTK_WIDGET(window), all);
    std::vector<std::string> texts;
    for (GtkWidget* widget : all) {
        if (GTK_IS_LABEL(widget) && gtk_widget_is_drawable(widget))
            texts.emplace_back(gtk_label_get_text(GTK_LABEL(widget)));
    }
    return texts;
}

bool showsText(GtkWindow* window, const std::string& text)
{
    const auto texts = shownTexts(window);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::vector<GtkWindow*> feedbackWindows()
{
    std::vector<GtkWindow*> found;
    GList* all = gtk_window_list_toplevels();
    for (GList* item = all; item; item = item->next) {
        const char* title = gtk_window_get_title(GTK_WINDOW(item->data));
        if (title && std::string(title) == "Send Feedback" && gtk_widget_get_visible(GTK_WIDGET(item->data)))
            found.push_back(GTK_WINDOW(item->data));
    }
    g_list_free(all);
    return found;
}

void settle(double seconds = 0.3)
{
    ui::gtk3::runMainLoopUntil([] { return false; }, seconds);
}

void typeMessage(GtkWindow* window, const std::string& text)
{
    GtkWidget* editor = shown(window, "message");
    ASSERT_NE(editor, nullptr);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor)), text.c_str(), -1);
}

std::string messageIn(GtkWindow* window)
{
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(shown(window, "message")));
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    char* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    std::string result = text;
    g_free(text);
    return result;
}

void click(GtkWindow* window, const std::string& name)
{
    GtkWidget* button = shown(window, name);
    ASSERT_NE(button, nullptr) << name;
    gtk_button_clicked(GTK_BUTTON(button));
}

// The window drawn into a PNG, its luminance sampled every other pixel.
ui::gtk3::testing::WindowPicture drawToPng(GtkWindow* window, const std::string& path)
{
    return ui::gtk3::testing::drawWindowToPng(window, path, 2);
}

class FeedbackWindowTest : public ::testing::Test {
protected:
    FeedbackWindowTest()
    {
        client->defaults = [path = home.file("defaults.json")] { return UserDefaults(path); };
        client->version.set("2.3");
        client->build.set("41");
        Feedback::setAppKey("inkwarden");
        Feedback::setIngestKey("ingest-key");
        Feedback::setProductName("Inkwarden");
        Feedback::setContactEmail("");
        answer(200, R"({"code":"AB12"})");
    }

    void SetUp() override
    {
        ASSERT_TRUE(ui::gtk3::initializeGtk());
        if (!server.running())
            GTEST_SKIP() << server.failure();
        client->origin = server.url();
        g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", FALSE, nullptr);
    }

    void TearDown() override
    {
        windows.reset();
        settle(0.05);
    }

    void answer(int status, const std::string& body)
    {
        std::ofstream(answersPath) << R"({"/report":{"status":)" << status << R"(,"body":")" << jsonEscaped(body) << R"(","delay":0}})";
    }

    static std::string jsonEscaped(const std::string& text)
    {
        std::string escaped;
        for (const char c : text) {
            if (c == '"' || c == '\\')
                escaped += '\\';
            escaped += c;
        }
        return escaped;
    }

    // "Send Feedback…" chosen from the Help menu, as the main menu's table performs it.
    void chooseSendFeedback()
    {
        MainMenuInputs inputs;
        inputs.brand = globals().brand;
        const auto bar = buildMainMenu(inputs);
        const ui::MenuItem* item = nullptr;
        for (const auto& menu : bar.menus) {
            for (const auto& entry : menu.items) {
                if (menu.title == "Help" && entry.title == "Send Feedback\u2026")
                    item = &entry;
            }
        }
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->key.empty());
        EXPECT_TRUE(commands.perform(MenuUse { *item, nullptr }));
        settle(0.2);
    }

    GtkWindow* theWindow()
    {
        const auto found = feedbackWindows();
        return found.size() == 1 ? found.front() : nullptr;
    }

    testing::TempHome home;
    ScopedGlobals scopedGlobals { Globals::build(Paths::fromEnvironment()) };
    GLibMainQueue queue;
    ScopedMainQueue installedQueue { queue };
    std::string answersPath = home.file("answers.json");
    http::LoopbackHttpServer server { http::LoopbackServerOptions { IKW_FEEDBACK_SERVICE_SCRIPT, { answersPath, home.file("requests.log") }, {}, {} } };
    std::shared_ptr<Feedback::State> client = std::make_shared<Feedback::State>();
    Feedback::ScopedState installed { client };
    ui::fake::FakeClipboard clipboard;
    ui::fake::FakeWorkspace workspace;
    std::shared_ptr<FeedbackWindows> windows = std::make_shared<FeedbackWindows>(FeedbackWindowHost { .clipboard = &clipboard, .workspace = &workspace });
    MenuCommands commands = [this] {
        MenuCommands table;
        registerFeedbackMenuCommand(table, windows);
        return table;
    }();
};

TEST_F(FeedbackWindowTest, ChoosingItAgainBringsTheOpenWindowForwardWithItsContents)
{
    chooseSendFeedback();
    GtkWindow* first = theWindow();
    ASSERT_NE(first, nullptr);
    typeMessage(first, "Keep this");
    click(first, "card-bug");

    chooseSendFeedback();
    ASSERT_EQ(theWindow(), first);
    EXPECT_EQ(messageIn(first), "Keep this");
    EXPECT_EQ(windows->current()->form()->state().intent, FeedbackIntent::bug);
}

TEST_F(FeedbackWindowTest, EveryCloseGivesTheNextChoiceAFreshFormInANewWindow)
{
    // The title bar's close, the close button, and Done after a send.
    const std::vector<std::string> closes { "title bar", "close", "done" };
    for (const auto& how : closes) {
        SCOPED_TRACE(how);
        chooseSendFeedback();
        GtkWindow* window = theWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(windows->current()->form()->state().intent, FeedbackIntent::idea);
        EXPECT_EQ(messageIn(window), "");
        EXPECT_TRUE(shown(window, "placeholder"));
        click(window, "card-praise");
        typeMessage(window, "Typed before the close");
        // The closed window is gone for good, so the next one is new.
        g_object_add_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
        if (how == "title bar") {
            gtk_window_close(window);
        } else if (how == "close") {
            click(window, "close");
        } else {
            click(window, "send");
            ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return window && shown(window, "done") != nullptr; }, 10));
            click(window, "done");
        }
        settle(0.1);
        EXPECT_EQ(window, nullptr);
        EXPECT_TRUE(feedbackWindows().empty());
        EXPECT_EQ(windows->current(), nullptr);
    }
}

TEST_F(FeedbackWindowTest, TheWindowRefusesAResizeAndIsADialog)
{
    chooseSendFeedback();
    GtkWindow* window = theWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(gtk_window_get_resizable(window));
    EXPECT_EQ(gtk_window_get_type_hint(window), GDK_WINDOW_TYPE_HINT_DIALOG);
    settle();
    const int width = gtk_widget_get_allocated_width(GTK_WIDGET(window));
    const int height = gtk_widget_get_allocated_height(GTK_WIDGET(window));
    EXPECT_EQ(width, 460);
    EXPECT_GE(height, 560);
    EXPECT_LE(height, 600);

    // The window manager is told that the smallest and the largest size are this one size.
    const auto xid = gdk_x11_window_get_xid(gtk_widget_get_window(GTK_WIDGET(window)));
    const auto hints = testing::runProgram("/usr/bin/xprop", { "-id", std::to_string(xid), "WM_NORMAL_HINTS" });
    const std::string size = std::to_string(width) + " by " + std::to_string(height);
    EXPECT_NE(hints.standardOutput.find("minimum size: " + size), std::string::npos) << hints.standardOutput;
    EXPECT_NE(hints.standardOutput.find("maximum size: " + size), std::string::npos) << hints.standardOutput;
}

TEST_F(FeedbackWindowTest, AFailedSendKeepsTheInputsAndASecondSendShowsTheCode)
{
    answer(503, "busy");
    chooseSendFeedback();
    GtkWindow* window = theWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(gtk_widget_get_sensitive(shown(window, "send")));
    EXPECT_TRUE(showsText(window, "Add a line about your idea, then Send."));
    typeMessage(window, " \n ");
    EXPECT_FALSE(gtk_widget_get_sensitive(shown(window, "send")));
    EXPECT_FALSE(shown(window, "placeholder"));
    typeMessage(window, "  The toolbar hides the page number\n");

    click(window, "send");
    EXPECT_TRUE(showsText(window, "Sending\u2026"));
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return shown(window, "error-banner") != nullptr; }, 10));
    EXPECT_TRUE(showsText(window, "Couldn't send. Check your connection and try again."));
    EXPECT_EQ(messageIn(window), "  The toolbar hides the page number\n");
    EXPECT_TRUE(gtk_widget_get_sensitive(shown(window, "send")));

    answer(200, R"({"code":"AB12"})");
    click(window, "send");
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return shown(window, "code-pill") != nullptr; }, 10));
    EXPECT_EQ(std::string(gtk_label_get_text(GTK_LABEL(shown(window, "code")))), "AB12");
    EXPECT_TRUE(showsText(window, "Your idea is in."));
    EXPECT_TRUE(showsText(window, "We read every idea. Hang onto the code above; it's your reference."));

    clipboard.setFiles({ "/tmp/a.pdf" });
    click(window, "code-pill");
    EXPECT_EQ(clipboard.contents, "AB12");
    const char* icon = nullptr;
    gtk_image_get_icon_name(GTK_IMAGE(shown(window, "copy-mark")), &icon, nullptr);
    EXPECT_STREQ(icon, "object-select-symbolic");
}

TEST_F(FeedbackWindowTest, TheRewardLinesShowForIdeasAndBugsAndHowItWorksOpensOnTheDesktop)
{
    chooseSendFeedback();
    GtkWindow* window = theWindow();
    ASSERT_NE(window, nullptr);
    // The reward line's bold runs are drawn bold, without their marks.
    EXPECT_TRUE(showsText(window, "Share an idea we build, or catch a bug we confirm, and $10 in Norvale Cash lands in your account. "
                                  "A fully specced idea or a detailed walkthrough earns up to $50."));
    gboolean handled = FALSE;
    g_signal_emit_by_name(shown(window, "credit-line"), "activate-link", std::string(kStoreCreditPage).c_str(), &handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(workspace.openedUrls, std::vector<std::string> { std::string(kStoreCreditPage) });
    click(window, "card-praise");
    EXPECT_FALSE(shown(window, "reward"));
}

TEST_F(FeedbackWindowTest, TheSealSpringsInOnlyWhileAnimationsAreOn)
{
    EXPECT_DOUBLE_EQ(sealEntrance(0).scale, 0.4);
    EXPECT_DOUBLE_EQ(sealEntrance(0).opacity, 0);
    double largest = 0;
    for (double t = 0; t < 1.4; t += 0.01)
        largest = std::max(largest, sealEntrance(t).scale);
    EXPECT_GT(largest, 1.0) << "a spring overshoots";
    EXPECT_DOUBLE_EQ(sealEntrance(1.4).scale, 1);
    EXPECT_DOUBLE_EQ(sealEntrance(1.4).opacity, 1);

    for (const bool animations : { false, true }) {
        g_object_set(gtk_settings_get_default(), "gtk-enable-animations", animations, nullptr);
        GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* seal = sealWidget({ 0.2, 0.4, 0.8, 1 });
        gtk_container_add(GTK_CONTAINER(window), seal);
        gtk_widget_show_all(window);
        enterSeal(seal);
        EXPECT_DOUBLE_EQ(sealPose(seal).scale, animations ? 0.4 : 1);
        ASSERT_TRUE(ui::gtk3::runMainLoopUntil([seal] { return sealPose(seal).opacity == 1 && sealPose(seal).scale == 1; }, 5));
        gtk_widget_destroy(window);
    }
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Offscreen pictures of the form (each kind, the last with a screenshot row and a failure) and of
// the thank-you screen, light and dark. IKW_FEEDBACK_SHOTS names a folder to keep them in.
TEST_F(FeedbackWindowTest, ShotsOfEveryScreenInBothLooks)
{
    const char* kept = std::getenv("IKW_FEEDBACK_SHOTS");
    const std::string folder = kept ? kept : home.path();
    std::filesystem::create_directories(folder);
    const std::string photo = readFile("/usr/share/doc/espeak-ng/docs/images/sand-light.jpg");
    for (const bool dark : { false, true }) {
        g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", dark, nullptr);
        const std::string look = dark ? "-dark" : "-light";
        for (const auto intent : kAllFeedbackIntents) {
            const std::string kind(rawValue(intent));
            SCOPED_TRACE(kind + look);
            FeedbackWindow window(FeedbackWindowHost {
                .clipboard = &clipboard,
                .workspace = &workspace,
                .setup = [&] {
                    auto setup = feedbackFormSetup(intent, intent == FeedbackIntent::praise ? std::optional(photo) : std::nullopt);
                    setup.contact = intent == FeedbackIntent::bug ? "reader@example.test" : "";
                    return setup;
                },
            }, {});
            gtk_widget_show(GTK_WIDGET(window.window()));
            settle();
            if (intent == FeedbackIntent::bug)
                typeMessage(window.window(), "Page 4 turns blank after zooming in twice.");
            settle(0.1);
            EXPECT_TRUE(showsText(window.window(), "Make Inkwarden better"));
            EXPECT_EQ(shown(window.window(), "screenshot-row") != nullptr, intent == FeedbackIntent::praise);
            const auto form = drawToPng(window.window(), folder + "/form-" + kind + look + ".png");
            EXPECT_EQ(form.width, 460);
            EXPECT_GT(form.luminanceSpan, 0.4);
            EXPECT_EQ(form.meanLuminance < 0.5, dark);

            if (intent != FeedbackIntent::bug)
                continue;
            click(window.window(), "send");
            ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return shown(window.window(), "code-pill") != nullptr; }, 10));
            settle(1.6); // the seal's entrance and the screens' crossfade
            EXPECT_EQ(sealPose(shown(window.window(), "seal")).scale, 1);
            EXPECT_TRUE(showsText(window.window(), "We read every report. If this bug is confirmed, $10 or more in Norvale Cash lands at reader@example.test."));
            const auto thanks = drawToPng(window.window(), folder + "/thanks" + look + ".png");
            EXPECT_GT(thanks.luminanceSpan, 0.4);
            EXPECT_EQ(thanks.meanLuminance < 0.5, dark);
        }
    }
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", FALSE, nullptr);
}

}
}
