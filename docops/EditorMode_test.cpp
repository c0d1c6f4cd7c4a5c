#include "docops/EditorMode.h"

#include "docops/EditorLayout.h"
#include "docops/EditorNightInk.h"
#include "review/ReviewTestFixture.h"

#include <cmath>
#include <filesystem>

namespace ikw::docops {
namespace {

using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;

TEST(EditorLayoutTest, ReasonsReadAsAList)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        { { "format", "tables", "images", "comments" }, "tables, images and comments" },
        { { "tables", "unreadable", "images" }, "tables and images" },
        { { "tables" }, "tables" },
        { { "format" }, "" },
        { { "unreadable", "format" }, "" },
        { {}, "" },
    };
    for (const auto& [why, expected] : cases)
        EXPECT_EQ(plainWhy(why), expected) << ::testing::PrintToString(why);
}

TEST(EditorLayoutTest, PageIsBoundedCentredAndFillsTheVisibleCanvas)
{
    struct Case {
        double width, height, text;
        double pageWidth, pageX, pageHeight;
    };
    const Case cases[] = {
        { 300, 500, 40, 360, 0, 440 },      // narrow: the narrowest page at the left edge
        { 2000, 900, 40, 760, 620, 840 },   // wide: the widest page, centred
        { 800, 600, 10, 744, 28, 540 },     // a short text still fills the canvas: H - 60
        { 800, 600, 2000, 744, 28, 2168 },  // a long text: its height and both margins
    };
    for (const auto& c : cases) {
        const auto layout = editorPageLayout(c.width, c.height, c.text);
        EXPECT_EQ(layout.pageWidth, c.pageWidth) << c.width;
        EXPECT_EQ(layout.pageX, c.pageX) << c.width;
        EXPECT_EQ(layout.pageY, 30);
        EXPECT_EQ(layout.pageHeight, c.pageHeight) << c.width;
        EXPECT_EQ(layout.canvasWidth, c.width);
        EXPECT_EQ(layout.canvasHeight, c.pageHeight + 60);
    }
}

struct Hsb {
    double hue, saturation, brightness;
};

Hsb hsbOf(const ui::Color& color)
{
    const double high = std::max({ color.red, color.green, color.blue });
    const double low = std::min({ color.red, color.green, color.blue });
    double hue = 0;
    if (high > low) {
        if (high == color.red)
            hue = std::fmod((color.green - color.blue) / (high - low) + 6, 6) / 6;
        else if (high == color.green)
            hue = ((color.blue - color.red) / (high - low) + 2) / 6;
        else
            hue = ((color.red - color.green) / (high - low) + 4) / 6;
    }
    return { hue, high > 0 ? (high - low) / high : 0, high };
}

TEST(EditorNightInkTest, DarkInksAreLightenedAndLightOnesKept)
{
    const ui::Color fixedInk { 0.933, 0.910, 0.871, 1 };
    EXPECT_EQ(edNightInk({ 0, 0, 0, 1 }), fixedInk);
    EXPECT_EQ(edNightInk({ 0.5, 0.5, 0.5, 1 }), fixedInk);
    EXPECT_NEAR(ikwRelLuminance({ 0.5, 0.5, 0.5, 1 }), 0.214, 0.001);
    EXPECT_FALSE(edNightInk({ 1, 1, 1, 1 }));
    EXPECT_FALSE(edNightInk({ 1, 1, 0, 1 }));
    EXPECT_NEAR(ikwContrast({ 0, 0, 0, 1 }, { 1, 1, 1, 1 }), 21, 1e-9);

    struct Case {
        ui::Color ink;
        double hue, saturation;
    };
    const Case coloured[] = {
        { { 1, 0, 0, 1 }, 0, 0.55 },               // pure red: luminance 0.2126, saturation 1
        { { 0.14, 0.14, 0.2, 1 }, 2.0 / 3, 0.22 }, // a dark blue of saturation 0.3: the floor
    };
    for (const auto& c : coloured) {
        const auto night = edNightInk(c.ink);
        ASSERT_TRUE(night);
        const Hsb hsb = hsbOf(*night);
        EXPECT_NEAR(hsb.hue, c.hue, 1e-6);
        EXPECT_NEAR(hsb.saturation, c.saturation, 1e-6);
        EXPECT_NEAR(hsb.brightness, 0.92, 1e-6);
        EXPECT_EQ(night->alpha, 1);
    }
}

// A reader window on the recording toolkit whose probe answered, showing `name` in the home.
class EditorModeTest : public ikw::testing::ReviewFixture {
protected:
    EditorModeTest()
    {
        services.resolvedScheme = [this] { return scheme; };
        editorServices.toolkit = &toolkit;
        editorServices.saveEditorDocNow = [this](ReviewWC&, std::function<void(bool)> done) {
            ++saves;
            done(true);
        };
    }

    std::shared_ptr<ReviewWC> reader(const std::string& name, const std::string& contents, std::vector<std::string> why = {})
    {
        auto window = windows.open(std::nullopt);
        window->isReader = true;
        window->sourcePaths = { writeTestFile(home.file(name), contents) };
        window->editProbe.editProbeEditable = true;
        window->editProbe.editProbeWhy = std::move(why);
        return window;
    }

    ui::fake::FakePageEditor& editorOf(const ReviewWC& window)
    {
        return static_cast<ui::fake::FakePageEditor&>(*window.editor.editorHost);
    }

    static std::vector<std::string> buttonTitles(const ui::EditorChrome& chrome)
    {
        std::vector<std::string> titles;
        for (const auto& control : chrome.controls) {
            if (const auto* button = std::get_if<ui::EditorButton>(&control))
                titles.push_back(button->title);
        }
        return titles;
    }

    std::string scheme = "light";
    EditorServices editorServices;
    int saves = 0;
};

TEST_F(EditorModeTest, OpensOnlyForAnAnsweredReaderWithoutAnEditor)
{
    auto waiting = reader("a.txt", "hello");
    waiting->editProbe.editProbeEditable.reset();
    enterEditorMode(*waiting, editorServices);
    EXPECT_FALSE(waiting->editor.editorHost);

    auto notReader = reader("b.txt", "hello");
    notReader->isReader = false;
    enterEditorMode(*notReader, editorServices);
    EXPECT_FALSE(notReader->editor.editorHost);

    auto window = reader("c.txt", "hello");
    window->editProbe.editProbeEditable = false; // answered: its value does not matter
    enterEditorMode(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);
    const auto first = window->editor.editorHost;
    enterEditorMode(*window, editorServices);
    EXPECT_EQ(window->editor.editorHost, first);
    EXPECT_EQ(toolkit.editors.size(), 1u);
    EXPECT_EQ(windowOf(*window).overlayOf(window->webView()), first);
    EXPECT_EQ(windowOf(*window).title(), "c.txt \u00B7 Editing");
    EXPECT_EQ(first->plainText(), "hello");

    teardownEditor(*window);
    EXPECT_FALSE(window->editor.editorHost);
    EXPECT_FALSE(windowOf(*window).overlayOf(window->webView()));
    EXPECT_TRUE(windowOf(*window).keyMonitors.empty());
    EXPECT_EQ(windowOf(*window).title(), "c.txt");
}

TEST_F(EditorModeTest, AFileTheCodecsRefuseStaysInTheReader)
{
    auto window = reader("bad.txt", std::string("ok \xC3\x28 no", 8));
    const auto bytesBefore = readTestFile(window->sourcePaths.front());
    enterEditorMode(*window, editorServices);
    EXPECT_FALSE(window->editor.editorHost);
    ASSERT_FALSE(viewOf(*window).evaluated.empty());
    EXPECT_NE(viewOf(*window).evaluated.back().find("Could not open for editing: "), std::string::npos);
    EXPECT_EQ(readTestFile(window->sourcePaths.front()), bytesBefore);
}

TEST_F(EditorModeTest, ControlsFollowTheTypeAndTheTimeOfDay)
{
    auto plain = reader("notes.md", "x");
    enterEditorMode(*plain, editorServices);
    const auto& plainChrome = editorOf(*plain).chrome;
    EXPECT_EQ(buttonTitles(plainChrome), (std::vector<std::string> { "Save", "Save a Copy\u2026" }));
    EXPECT_FALSE(plainChrome.look.richText);
    EXPECT_EQ(plainChrome.look.fontFamily, ""); // neither Calibri nor Aptos is installed
    EXPECT_EQ(plainChrome.look.fontSize, 15);
    EXPECT_EQ(plainChrome.status, kEditorStatusClean);

    toolkit.installedFonts = { "Aptos" };
    auto aptos = reader("aptos.txt", "x");
    enterEditorMode(*aptos, editorServices);
    EXPECT_EQ(editorOf(*aptos).chrome.look.fontFamily, "Aptos");

    auto day = reader("day.rtf", "{\\rtf1 x}");
    enterEditorMode(*day, editorServices);
    EXPECT_EQ(buttonTitles(editorOf(*day).chrome),
        (std::vector<std::string> { "B", "I", "U", "Fonts\u2026", "Color\u2026", "Save", "Save a Copy\u2026" }));
    EXPECT_EQ(editorOf(*day).chrome.look.canvas, (ui::Color { 0.898, 0.882, 0.851, 1 }));

    scheme = "dark";
    auto night = reader("night.rtf", "{\\rtf1 x}");
    enterEditorMode(*night, editorServices);
    const auto titles = buttonTitles(editorOf(*night).chrome);
    EXPECT_NE(std::find(titles.begin(), titles.end(), "\U0001F319 Paper"), titles.end());
    EXPECT_TRUE(editorOf(*night).chrome.look.darkPaper);
}

TEST_F(EditorModeTest, TheNoticeShowsOnlyWithReasonsAndTheWarningOn)
{
    struct Case {
        std::vector<std::string> why;
        std::string config;
        std::optional<std::string> notice;
    };
    const Case cases[] = {
        { {}, "{}", std::nullopt },
        { { "tables" }, R"({"edit_fidelity_warn": false})", std::nullopt },
        { { "tables", "comments" }, "{}", "This document's tables and comments can't be kept by the editor. Save a Copy to keep the original whole." },
        { { "format", "unreadable" }, R"({"edit_fidelity_warn": true})",
            "Inkwarden could not fully inspect this document. Saving a copy keeps the original intact." },
    };
    for (const auto& c : cases) {
        writeConfig(c.config);
        auto window = reader("n.txt", "text", c.why);
        enterEditorMode(*window, editorServices);
        ASSERT_TRUE(window->editor.editorHost);
        const auto& notice = editorOf(*window).chrome.notice;
        EXPECT_EQ(notice ? std::optional(notice->text) : std::nullopt, c.notice) << c.config;
        if (notice) {
            notice->close();
            EXPECT_FALSE(window->editor.editorHost->hasNotice());
        }
    }
}

TEST_F(EditorModeTest, BoldIsDecidedFromTheFirstCharacter)
{
    auto window = reader("b.rtf", "{\\rtf1 {\\b Bold} plain {\\i tail}}");
    enterEditorMode(*window, editorServices);
    auto& editor = editorOf(*window);
    const int length = editor.length();

    editor.setSelection({ 0, length });
    edToggleTrait(*window, EditorTrait::Bold);
    for (const auto& span : editor.spans({ 0, length }))
        EXPECT_FALSE(span.style.bold) << span.range.start;
    EXPECT_TRUE(editor.spans({ length - 1, length }).front().style.italic); // other traits stay
    EXPECT_TRUE(window->editor.editorDirty);

    edToggleTrait(*window, EditorTrait::Bold);
    for (const auto& span : editor.spans({ 0, length }))
        EXPECT_TRUE(span.style.bold) << span.range.start;

    editor.undo();
    EXPECT_FALSE(editor.spans({ 0, 1 }).front().style.bold);

    // No selection: what is typed next.
    editor.setSelection({ 2, 2 });
    edToggleTrait(*window, EditorTrait::Italic);
    EXPECT_TRUE(editor.typingStyle().italic);
    editor.type("x");
    EXPECT_TRUE(editor.spans({ 2, 3 }).front().style.italic);
}

TEST_F(EditorModeTest, KeysSaveAndLeaveOnlyWithControlAlone)
{
    auto window = reader("k.txt", "text");
    enterEditorMode(*window, editorServices);
    auto& frame = windowOf(*window);
    const auto press = [&](std::string key, bool shift, bool alt) { return frame.pressMonitoredKey({ key, true, shift, alt, false }); };

    EXPECT_FALSE(press("s", true, false));
    EXPECT_FALSE(press("e", false, true));
    EXPECT_FALSE(frame.pressMonitoredKey({ "s", false, false, false, true })); // Super alone
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(press("s", false, false));
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(press("e", false, false)); // clean: leaves without asking
    EXPECT_FALSE(window->editor.editorHost);
    EXPECT_FALSE(press("s", false, false));
}

TEST_F(EditorModeTest, LeavingWithEditsFollowsTheAnswer)
{
    std::optional<EditorPromptAnswer> answer;
    editorServices.editorSavePrompt = [&](ReviewWC&, std::function<void(EditorPromptAnswer)> done) { done(*answer); };
    int reloads = 0;
    editorServices.reloadReaderInPlace = [&](ReviewWC&) { ++reloads; };
    auto window = reader("l.txt", "text");
    const auto edit = [&] {
        enterEditorMode(*window, editorServices);
        editorOf(*window).type("more ");
    };

    edit();
    answer = EditorPromptAnswer::KeepEditing;
    editorOf(*window).selectSegment(0, 0);
    exitEditorToRead(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);
    EXPECT_EQ(std::get<ui::EditorSegments>(editorOf(*window).chrome.controls[0]).selected, 1);

    editorServices.saveEditorDocNow = [](ReviewWC&, std::function<void(bool)> done) { done(false); };
    answer = EditorPromptAnswer::Save;
    exitEditorToRead(*window, editorServices);
    EXPECT_TRUE(window->editor.editorHost);
    EXPECT_EQ(reloads, 0);

    editorServices.saveEditorDocNow = [](ReviewWC&, std::function<void(bool)> done) { done(true); };
    exitEditorToRead(*window, editorServices);
    EXPECT_FALSE(window->editor.editorHost);
    EXPECT_EQ(reloads, 1);

    edit();
    answer = EditorPromptAnswer::Discard;
    exitEditorToRead(*window, editorServices);
    EXPECT_FALSE(window->editor.editorHost);
    EXPECT_EQ(readTestFile(window->sourcePaths.front()), "text");
}

TEST_F(EditorModeTest, ThePaperSwitchKeepsUnsavedEditsEvenWhenTheFileIsGone)
{
    scheme = "dark";
    for (const bool deleteFirst : { false, true }) {
        writeConfig("{}");
        auto window = reader("p.txt", "original");
        enterEditorMode(*window, editorServices);
        auto& before = editorOf(*window);
        before.setSelection({ 0, 0 });
        before.type("edited ");
        if (deleteFirst)
            std::filesystem::remove(window->sourcePaths.front());

        edTogglePaper(*window, editorServices);
        ASSERT_TRUE(window->editor.editorHost) << deleteFirst;
        EXPECT_EQ(editorPaperPref(), "light");
        EXPECT_FALSE(editorOf(*window).chrome.look.darkPaper);
        EXPECT_EQ(window->editor.editorHost->plainText(), "edited original");
        EXPECT_TRUE(window->editor.editorDirty);
        EXPECT_EQ(window->editor.editorHost->status(), kEditorStatusEdited);
        EXPECT_EQ(window->editor.editorDocPath, window->sourcePaths.front());

        edTogglePaper(*window, editorServices);
        EXPECT_EQ(editorPaperPref(), "auto");
        EXPECT_TRUE(editorOf(*window).chrome.look.darkPaper);
        EXPECT_EQ(window->editor.editorHost->plainText(), "edited original");
        teardownEditor(*window);
    }
}

TEST_F(EditorModeTest, ABurstOfEditsRunsOneWholeTextInkPass)
{
    scheme = "dark";
    // Black text, then highlighted black text.
    auto window = reader("ink.rtf", "{\\rtf1{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue0;}\\cf1 dark \\highlight2 marked}");
    enterEditorMode(*window, editorServices);
    auto& editor = editorOf(*window);
    const auto wholeTextPasses = [&] {
        return std::count(editor.clearedRanges.begin(), editor.clearedRanges.end(), ui::CharRange { 0, editor.length() });
    };
    EXPECT_EQ(wholeTextPasses(), 1); // on opening
    EXPECT_EQ(editor.displayForegroundAt(0), (ui::Color { 0.933, 0.910, 0.871, 1 }));
    EXPECT_FALSE(editor.displayForegroundAt(editor.length() - 1)); // highlighted: both colours kept

    editor.setSelection({ 0, 0 });
    for (int i = 0; i < 10; ++i) {
        editor.type("a");
        queue.advance(0.1);
    }
    EXPECT_EQ(wholeTextPasses(), 1);
    EXPECT_TRUE(editor.displayForegroundAt(10)); // the edited paragraph judged afresh at once
    queue.advance(0.29);
    EXPECT_EQ(wholeTextPasses(), 1);
    queue.advance(0.02);
    EXPECT_EQ(wholeTextPasses(), 2);
    queue.advance(5);
    EXPECT_EQ(wholeTextPasses(), 2);

    // Light paper: edits run no pass.
    edTogglePaper(*window, editorServices);
    auto& light = editorOf(*window);
    light.type("b");
    queue.advance(1);
    EXPECT_TRUE(light.clearedRanges.empty());

    // A closed editor: a late pass finds nothing to do.
    edTogglePaper(*window, editorServices);
    auto& dark = editorOf(*window);
    dark.type("c");
    teardownEditor(*window);
    const auto cleared = dark.clearedRanges.size();
    queue.advance(1);
    EXPECT_EQ(dark.clearedRanges.size(), cleared);
}

TEST_F(EditorModeTest, EditImageAnswersThePageOrToasts)
{
    auto window = reader("doc.pdf", "%PDF");
    const std::string notImage = writeTestFile(home.file("fake.png"), "not an image");
    toolkit.fakeDialogs.openAnswers = { std::vector<std::string> { notImage }, std::nullopt };
    editImportImage(*window, window->webView(), toolkit);
    ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u);
    EXPECT_EQ(toolkit.fakeDialogs.panels[0].message, "Choose an image to place on the page.");
    EXPECT_EQ(toolkit.fakeDialogs.panels[0].extensions.size(), 10u);
    ASSERT_FALSE(viewOf(*window).evaluated.empty());
    EXPECT_EQ(viewOf(*window).evaluated.back(), "if(window.__ikwToast){__ikwToast('Could not read that image.')}");

    const auto count = viewOf(*window).evaluated.size();
    editImportImage(*window, window->webView(), toolkit); // cancelled
    EXPECT_EQ(viewOf(*window).evaluated.size(), count);
}

}
}
