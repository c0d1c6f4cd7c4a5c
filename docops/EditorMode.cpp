#include "docops/EditorMode.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "docops/EditorDocument.h"
#include "docops/EditorLayout.h"
#include "docops/EditorNightInk.h"
#include "docops/richtext/DocumentFiles.h"
#include "platform/core/Paths.h"
#include "review/ReviewWC.h"

#include <cmath>

namespace ikw::docops {
namespace {

constexpr double kFontSizePlain = 15;

ui::Color color(const SrgbColor& value)
{
    return { value.red, value.green, value.blue, value.alpha };
}

// The editor's text and state kept across a paper switch.
struct KeptEdits {
    std::vector<ui::StyledParagraph> text;
    EditorSource source;
};

ui::EditorLook editorLook(const ReviewWC& window, bool rich, ui::Toolkit& toolkit)
{
    const bool night = editorIsNight(window);
    const bool dark = editorPaperIsDark(window);
    ui::EditorLook look;
    look.night = night;
    look.darkPaper = dark;
    look.bar = night ? color(kEdNightBar) : ui::Color { 0.984, 0.969, 0.933, 1 };
    look.accent = { 0.722, 0.525, 0.043, 1 };
    look.canvas = night ? color(kEdNightCanvas) : ui::Color { 0.898, 0.882, 0.851, 1 };
    look.paper = dark ? color(kEdNightPaper) : ui::Color { 1, 1, 1, 1 };
    look.notice = night ? color(kEdNightNotice) : ui::Color { 0.996, 0.969, 0.910, 1 };
    look.noticeText = night ? ui::Color { 0.937, 0.855, 0.678, 1 } : ui::Color { 0.35, 0.28, 0.10, 1 };
    if (dark) {
        look.ink = color(kEdNightInk);
        look.selectionBackground = ui::Color { 0.784, 0.659, 0.447, 0.32 };
    }
    look.richText = rich;
    look.marginH = kPageMarginH;
    look.marginV = kPageMarginV;
    if (!rich) {
        for (const char* family : { "Calibri", "Aptos" }) {
            if (toolkit.hasFontFamily(family)) {
                look.fontFamily = family;
                break;
            }
        }
        look.fontSize = kFontSizePlain;
    }
    return look;
}

// Runs `action` on the window when it is still there.
template<typename Action>
auto onWindow(ReviewWC& window, Action action)
{
    return [weak = window.weak_from_this(), action](auto&&... arguments) {
        if (const auto controller = weak.lock())
            return action(*controller, arguments...);
        return decltype(action(*weak.lock(), arguments...))();
    };
}

ui::EditorChrome editorChrome(ReviewWC& window, const EditorServices& services, const std::string& path, bool rich, ui::Toolkit& toolkit)
{
    using Look = ui::EditorButton::Look;
    ui::EditorChrome chrome;
    chrome.look = editorLook(window, rich, toolkit);
    chrome.status = kEditorStatusClean;
    const auto button = [](std::string title, std::string tooltip, Look look, std::function<void()> pressed) {
        return ui::EditorButton { std::move(title), std::move(tooltip), look, {}, std::move(pressed) };
    };
    chrome.controls.push_back(ui::EditorSegments { { "Read", "Edit" }, {}, 1, onWindow(window, [services](ReviewWC& w, int segment) {
        if (segment == 0)
            exitEditorToRead(w, services);
    }) });
    window.editor.editorSeg = 0;
    if (rich) {
        chrome.controls.push_back(button("B", "Bold the selection", Look::Bold, onWindow(window, [](ReviewWC& w) { edToggleTrait(w, EditorTrait::Bold); })));
        chrome.controls.push_back(button("I", "Italicize the selection", Look::Italic, onWindow(window, [](ReviewWC& w) { edToggleTrait(w, EditorTrait::Italic); })));
        chrome.controls.push_back(button("U", "Underline the selection", Look::Plain, onWindow(window, [](ReviewWC& w) { edUnderline(w); })));
        chrome.controls.push_back(button("Fonts\u2026", "Font family, size, and style (applies to the selection)", Look::Plain, onWindow(window, [](ReviewWC& w) { edFonts(w); })));
        chrome.controls.push_back(button("Color\u2026", "Text color (applies to the selection)", Look::Plain, onWindow(window, [](ReviewWC& w) { edColor(w); })));
        chrome.controls.push_back(ui::EditorSegments { { "\u21E4", "\u2630", "\u21E5" }, "Align left \u00B7 center \u00B7 right", std::nullopt,
            onWindow(window, [](ReviewWC& w, int segment) { edAlign(w, segment); }) });
    }
    if (chrome.look.night) {
        const bool dark = chrome.look.darkPaper;
        chrome.controls.push_back(button(dark ? "\U0001F319 Paper" : "\u2600\uFE0E Paper",
            dark ? "Night page. Dark ink is LIGHTENED on screen only \u2014 the file keeps its real colours. Click for the true white page."
                 : "The true white page, exactly as it prints. Click for the night page.",
            Look::Plain, onWindow(window, [services](ReviewWC& w) { edTogglePaper(w, services); })));
    }
    chrome.controls.push_back(button("Save", "Save the real file (Ctrl+S)", Look::Accent, onWindow(window, [services](ReviewWC& w) {
        if (services.saveEditorDocNow)
            services.saveEditorDocNow(w, [](bool) {});
    })));
    const auto saveCopy = onWindow(window, [services](ReviewWC& w) {
        if (services.saveEditorCopy)
            services.saveEditorCopy(w);
    });
    chrome.controls.push_back(button("Save a Copy\u2026", "Keep the original untouched and write your edits to a new file", Look::Plain, saveCopy));
    if (services.wordButton) {
        if (const auto word = services.wordButton(path)) {
            chrome.controls.push_back(ui::EditorButton { word->title, word->tooltip, Look::Plain, word->iconPath, onWindow(window, [services](ReviewWC& w) {
                if (services.edOpenInWord)
                    services.edOpenInWord(w);
            }) });
        }
    }
    const auto& why = window.editProbe.editProbeWhy;
    if (!why.empty() && readFlag(loadConfig(), "edit_fidelity_warn", true)) {
        chrome.notice = ui::EditorNotice { editorNoticeText(why), "Save a Copy\u2026", saveCopy,
            "Dismiss. The editor still asks before overwriting the original.", onWindow(window, [](ReviewWC& w) { hideEditorNotice(w); }) };
    }
    return chrome;
}

void setWindowTitle(ReviewWC& window, const std::string& title)
{
    window.window().setTabTitle(window.webView(), title);
    if (window.window().tab(window.window().selectedTab()) == window.web)
        window.window().setTitle(title);
}

void markEdited(ReviewWC& window)
{
    auto& state = window.editor;
    if (!state.editorHost)
        return;
    if (!state.editorDirty) {
        state.editorDirty = true;
        state.editorHost->setStatus(kEditorStatusEdited);
    }
    refreshEditorNightInk(window);
}

// Opens the editor; with kept edits, they are shown (still unsaved) in place of the file, which
// is read again when it can be (a file gone meanwhile does not lose them).
void openEditor(ReviewWC& window, const EditorServices& services, std::optional<KeptEdits> kept)
{
    auto& state = window.editor;
    if (!window.isReader || state.editorHost || !window.editProbe.editProbeEditable || window.sourcePaths.empty() || !services.toolkit)
        return;
    const std::string path = window.sourcePaths.front();
    const auto type = richtext::editorDocType(path);
    EditorSource source { type, {} };
    auto read = richtext::readDocumentFile(path, type);
    if (read)
        source.asRead = std::move(read).value();
    else if (kept)
        source = kept->source;
    else {
        window.toastJS("Could not open for editing: " + read.error());
        return;
    }
    state.editorDocPath = path;
    const bool rich = richtext::isRichText(type);
    auto editor = services.toolkit->makePageEditor(editorChrome(window, services, path, rich, *services.toolkit));
    editor->setText(editorParagraphs(source.asRead));
    state.editorHost = editor;
    state.editorSource = source;
    state.editorDirty = false;
    if (editorPaperIsDark(window))
        applyEditorNightInk(*editor, std::nullopt);
    editor->setResizeHandler(onWindow(window, [](ReviewWC& w) { layoutEditorPage(w); }));
    editor->setChangedHandler(onWindow(window, [](ReviewWC& w) { markEdited(w); }));
    state.editorKeyMonitor = window.window().addKeyMonitor(onWindow(window, [services](ReviewWC& w, const ui::KeyPress& key) {
        return editorKeyDown(w, services, key);
    }));
    window.window().setTabOverlay(window.webView(), editor);
    layoutEditorPage(window);
    editor->focus();
    setWindowTitle(window, lastPathComponent(path) + " \u00B7 Editing");
    if (kept) {
        editor->setText(kept->text);
        if (editorPaperIsDark(window))
            applyEditorNightInk(*editor, std::nullopt);
        state.editorDirty = true;
        editor->setStatus(kEditorStatusEdited);
        layoutEditorPage(window);
    }
}

// The style with the trait added or removed.
ui::TextStyle withTrait(ui::TextStyle style, EditorTrait trait, bool on)
{
    (trait == EditorTrait::Bold ? style.bold : style.italic) = on;
    return style;
}

bool hasTrait(const ui::TextStyle& style, EditorTrait trait)
{
    return trait == EditorTrait::Bold ? style.bold : style.italic;
}

// Sets one part of the style on every run of the selection, or on the typing style without one.
template<typename Change>
void restyleSelection(ui::PageEditor& editor, Change change)
{
    const ui::CharRange selection = editor.selection();
    if (selection.empty()) {
        editor.setTypingStyle(change(editor.typingStyle()));
        return;
    }
    editor.beginEdit();
    for (const auto& span : editor.spans(selection))
        editor.setStyle(span.range, change(span.style));
    editor.endEdit();
}

// The style at the selection's first character, or the typing style without a selection.
ui::TextStyle leadingStyle(ui::PageEditor& editor)
{
    const ui::CharRange selection = editor.selection();
    if (selection.empty())
        return editor.typingStyle();
    const auto spans = editor.spans(selection);
    return spans.empty() ? ui::TextStyle {} : spans.front().style;
}

}

bool editorIsNight(const ReviewWC& window)
{
    return window.schemeIsDark();
}

std::string editorPaperPref()
{
    const Json settings = loadConfig();
    const auto it = settings.find("editor_paper");
    return it != settings.end() && it->is_string() ? it->get<std::string>() : "auto";
}

bool editorPaperIsDark(const ReviewWC& window)
{
    return editorIsNight(window) && editorPaperPref() != "light";
}

void enterEditorMode(ReviewWC& window, const EditorServices& services)
{
    openEditor(window, services, std::nullopt);
}

void releaseEditor(ReviewWC& window)
{
    auto& state = window.editor;
    if (state.editorKeyMonitor)
        window.window().removeKeyMonitor(*state.editorKeyMonitor);
    state.editorKeyMonitor.reset();
    if (state.editorHost) {
        state.editorHost->setChangedHandler(nullptr);
        state.editorHost->setResizeHandler(nullptr);
    }
    state.editorHost.reset();
    state.editorSource.reset();
    state.editorDirty = false;
    state.editorDocPath.reset();
}

void teardownEditor(ReviewWC& window)
{
    if (window.editor.editorHost)
        window.window().setTabOverlay(window.webView(), nullptr);
    releaseEditor(window);
    if (!window.sourcePaths.empty())
        setWindowTitle(window, lastPathComponent(window.sourcePaths.front()));
}

void exitEditorToRead(ReviewWC& window, const EditorServices& services)
{
    auto& state = window.editor;
    if (!state.editorHost)
        return;
    if (!state.editorDirty) {
        teardownEditor(window);
        return;
    }
    const auto stayInEditor = [](ReviewWC& w) {
        if (w.editor.editorHost)
            w.editor.editorHost->selectSegment(w.editor.editorSeg, 1);
    };
    if (!services.editorSavePrompt) {
        stayInEditor(window);
        return;
    }
    services.editorSavePrompt(window, onWindow(window, [services, stayInEditor](ReviewWC& w, EditorPromptAnswer answer) {
        if (!w.editor.editorHost)
            return;
        switch (answer) {
        case EditorPromptAnswer::Save:
            if (!services.saveEditorDocNow) {
                stayInEditor(w);
                break;
            }
            services.saveEditorDocNow(w, onWindow(w, [services, stayInEditor](ReviewWC& saved, bool written) {
                if (!saved.editor.editorHost)
                    return;
                if (!written) {
                    stayInEditor(saved);
                    return;
                }
                teardownEditor(saved);
                if (services.reloadReaderInPlace)
                    services.reloadReaderInPlace(saved);
            }));
            break;
        case EditorPromptAnswer::Discard:
            teardownEditor(w);
            break;
        case EditorPromptAnswer::KeepEditing:
            stayInEditor(w);
            break;
        }
    }));
}

void layoutEditorPage(ReviewWC& window)
{
    const auto editor = window.editor.editorHost;
    if (!editor)
        return;
    const ui::ViewSize visible = editor->viewportSize();
    const EditorPageLayout layout = editorPageLayout(visible.width, visible.height, editor->textHeight());
    const ui::ViewSize page = editor->pageSize();
    if (std::abs(page.width - layout.pageWidth) > 0.5 || std::abs(page.height - layout.pageHeight) > 0.5)
        editor->setPageFrame(layout.pageX, layout.pageY, layout.pageWidth, layout.pageHeight);
    else
        editor->setPageFrame(layout.pageX, layout.pageY, page.width, page.height);
    const ui::ViewSize canvas = editor->canvasSize();
    if (std::abs(canvas.width - layout.canvasWidth) > 0.5 || std::abs(canvas.height - layout.canvasHeight) > 0.5)
        editor->setCanvasSize(layout.canvasWidth, layout.canvasHeight);
}

void edToggleTrait(ReviewWC& window, EditorTrait trait)
{
    const auto editor = window.editor.editorHost;
    if (!editor)
        return;
    // Decided once, from the first character: a bold start makes the whole selection plain.
    const bool on = !hasTrait(leadingStyle(*editor), trait);
    restyleSelection(*editor, [&](const ui::TextStyle& style) { return withTrait(style, trait, on); });
}

void edUnderline(ReviewWC& window)
{
    const auto editor = window.editor.editorHost;
    if (!editor)
        return;
    const bool on = !leadingStyle(*editor).underline;
    restyleSelection(*editor, [&](ui::TextStyle style) {
        style.underline = on;
        return style;
    });
}

void edFonts(ReviewWC& window)
{
    const auto editor = window.editor.editorHost;
    if (!editor)
        return;
    editor->focus();
    editor->chooseFont(leadingStyle(*editor), onWindow(window, [](ReviewWC& w, std::optional<ui::FontChoice> choice) {
        const auto open = w.editor.editorHost;
        if (!open || !choice)
            return;
        restyleSelection(*open, [&](ui::TextStyle style) {
            style.fontFamily = choice->family;
            style.pointSize = choice->pointSize;
            style.bold = choice->bold;
            style.italic = choice->italic;
            return style;
        });
    }));
}

void edColor(ReviewWC& window)
{
    const auto editor = window.editor.editorHost;
    if (!editor)
        return;
    editor->focus();
    editor->chooseColor(leadingStyle(*editor).foreground, onWindow(window, [](ReviewWC& w, std::optional<ui::Color> choice) {
        const auto open = w.editor.editorHost;
        if (!open || !choice)
            return;
        restyleSelection(*open, [&](ui::TextStyle style) {
            style.foreground = choice;
            return style;
        });
    }));
}

void edAlign(ReviewWC& window, int segment)
{
    const auto editor = window.editor.editorHost;
    if (!editor)
        return;
    const ui::TextAlign align = segment == 0 ? ui::TextAlign::Left : segment == 1 ? ui::TextAlign::Center : ui::TextAlign::Right;
    editor->beginEdit();
    editor->setAlignment(editor->selection(), align);
    editor->endEdit();
}

void edTogglePaper(ReviewWC& window, const EditorServices& services)
{
    Json settings = loadConfig();
    settings["editor_paper"] = editorPaperPref() == "light" ? "auto" : "light";
    saveConfig(settings);
    auto& state = window.editor;
    if (!state.editorHost)
        return;
    std::optional<KeptEdits> kept;
    if (state.editorDirty) {
        const auto* source = std::any_cast<EditorSource>(&state.editorSource);
        kept = KeptEdits { state.editorHost->text(), source ? *source : EditorSource {} };
    }
    teardownEditor(window);
    openEditor(window, services, std::move(kept));
}

void setEditorTitle(ReviewWC& window, const std::string& title)
{
    setWindowTitle(window, title);
}

void hideEditorNotice(ReviewWC& window)
{
    if (const auto editor = window.editor.editorHost)
        editor->hideNotice();
}

bool editorKeyDown(ReviewWC& window, const EditorServices& services, const ui::KeyPress& key)
{
    if (!window.editor.editorHost || !key.control || key.shift || key.alt)
        return false;
    if (key.key == "s") {
        if (services.saveEditorDocNow)
            services.saveEditorDocNow(window, [](bool) {});
        return true;
    }
    if (key.key == "e") {
        exitEditorToRead(window, services);
        return true;
    }
    return false;
}

}
