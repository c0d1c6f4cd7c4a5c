#include "docops/EditorSaving.h"

#include "app/MenuCommands.h"
#include "app/Settings.h"
#include "docops/EditorDocument.h"
#include "docops/EditorLayout.h"
#include "docops/WordHandOff.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"
#include "platform/ui/PageScript.h"
#include "review/ReviewServices.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <cstdio>

namespace ikw::docops {
namespace {

constexpr const char* kFidelityKey = "edit_fidelity_warn";

FileSystem& fileSystemOf(const EditorSaving& saving)
{
    return saving.fileSystem ? *saving.fileSystem : realFileSystem();
}

std::string editorFileName(const ReviewWC& window)
{
    return window.editor.editorDocPath ? lastPathComponent(*window.editor.editorDocPath) : std::string("document");
}

std::string wordName(const EditorSaving& saving)
{
    const auto word = saving.word ? saving.word->wordAppURL() : std::nullopt;
    return word ? word->name : std::string("the word processor");
}

// Runs `action` with the window while it is open; otherwise answers `fallback`.
template<typename Action>
auto whileOpen(ReviewWC& window, Action action)
{
    return [weak = window.weak_from_this(), action](auto&&... arguments) {
        if (const auto controller = weak.lock(); controller && !controller->isClosed())
            action(*controller, arguments...);
    };
}

void finish(const SaveDone& done, bool saved)
{
    if (done)
        done(saved);
}

void alertCouldNotSave(ReviewWC& window, const EditorSaving& saving, const std::string& reason)
{
    if (!saving.toolkit)
        return;
    ui::AlertContent alert;
    alert.message = "Could not save";
    alert.informativeText = reason;
    alert.style = ui::AlertContent::Style::Warning;
    saving.toolkit->dialogs().alert(&window.window(), alert, [](ui::AlertAnswer) {});
}

// The fidelity question, then the chosen way of saving.
void askBeforeOverwriting(ReviewWC& window, const EditorSaving& saving, const std::string& path, SaveDone done)
{
    const std::string name = lastPathComponent(path);
    const std::string why = plainWhy(window.editProbe.editProbeWhy);
    ui::AlertContent alert;
    alert.message = why.empty() ? "Saving may drop content Inkwarden couldn't read" : "Saving removes this document's " + why;
    alert.informativeText = "Save a Copy keeps " + name + " exactly as it is and puts your edits in a new file.\n\nTurn this ask back on any time in Settings.";
    alert.buttons = { "Save a Copy\u2026", "Overwrite " + name, "Cancel" };
    alert.cancelButton = 2;
    alert.showsSuppression = true;
    alert.suppressionText = "Don't ask again: overwrite whenever I save";
    alert.style = ui::AlertContent::Style::Warning;
    saving.toolkit->dialogs().alert(&window.window(), alert, [weak = window.weak_from_this(), saving, path, done](ui::AlertAnswer answer) {
        const auto self = weak.lock();
        if (!self || answer.button < 0 || answer.button > 1) {
            finish(done, false);
            return;
        }
        if (answer.suppressed)
            setEditFidelityWarn(false);
        if (answer.button == 0)
            saveEditorCopy(*self, saving, done);
        else
            finish(done, writeEditorDoc(*self, saving, path, false));
    });
}

std::string proposedCopyName(const std::string& path)
{
    const std::string name = lastPathComponent(path);
    const std::string extension = pathExtension(name);
    if (extension.empty())
        return name + " (edited)";
    return name.substr(0, name.size() - extension.size() - 1) + " (edited)." + extension;
}

void retarget(ReviewWC& window, const std::string& path)
{
    window.editor.editorDocPath = path;
    window.sourcePaths = { path };
    window.editProbe.editProbeWhy.clear();
    window.editProbe.editProbeEditable = true;
    hideEditorNotice(window);
    window.representFile(path);
    setEditorTitle(window, lastPathComponent(path) + " \u00B7 Editing");
}

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return local;
}

}

bool editFidelityWarnEnabled()
{
    const Json settings = loadConfig();
    const auto it = settings.find(kFidelityKey);
    return it == settings.end() || !it->is_boolean() || it->get<bool>();
}

void setEditFidelityWarn(bool on)
{
    Json settings = loadConfig();
    settings[kFidelityKey] = on;
    saveConfig(settings);
}

std::string savedStatus(std::tm local)
{
    const int hour = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    char text[32];
    std::snprintf(text, sizeof text, "Saved %d:%02d %s", hour, local.tm_min, local.tm_hour < 12 ? "AM" : "PM");
    return text;
}

void saveEditorDocNow(ReviewWC& window, const EditorSaving& saving, SaveDone done)
{
    if (!window.editor.editorDocPath || !saving.toolkit) {
        finish(done, false);
        return;
    }
    const std::string path = *window.editor.editorDocPath;
    window.okToOverwriteInPlace(path, [weak = window.weak_from_this(), saving, path, done](bool overwrite) {
        const auto self = weak.lock();
        if (!self) {
            finish(done, false);
            return;
        }
        if (!overwrite) {
            self->toastJS("Save cancelled \u2014 this file is newer on disk");
            finish(done, false);
            return;
        }
        if (self->editProbe.editProbeWhy.empty() || !editFidelityWarnEnabled()) {
            finish(done, writeEditorDoc(*self, saving, path, false));
            return;
        }
        askBeforeOverwriting(*self, saving, path, done);
    });
}

bool writeEditorDoc(ReviewWC& window, const EditorSaving& saving, const std::string& to, bool retargetEditor)
{
    auto& state = window.editor;
    if (!state.editorHost)
        return false;
    const auto* source = std::any_cast<EditorSource>(&state.editorSource);
    const richtext::Document document = documentFromEditor(state.editorHost->text(), source ? source->asRead : richtext::Document {});
    const IoStatus written = richtext::writeDocumentFile(fileSystemOf(saving), to, document, richtext::editorDocType(to));
    if (!written) {
        alertCouldNotSave(window, saving, written.message());
        return false;
    }
    window.stampLoadedFile(to);
    state.editorDirty = false;
    state.editorHost->setStatus(savedStatus(localNow()));
    if (retargetEditor)
        retarget(window, to);
    return true;
}

void saveEditorCopy(ReviewWC& window, const EditorSaving& saving, SaveDone done)
{
    if (!window.editor.editorDocPath || !saving.toolkit) {
        finish(done, false);
        return;
    }
    const std::string path = *window.editor.editorDocPath;
    ui::FilePanelOptions panel;
    panel.title = "Save a Copy";
    panel.suggestedName = proposedCopyName(path);
    panel.directory = parentPath(path);
    if (const auto extension = pathExtension(lastPathComponent(path)); !extension.empty())
        panel.extensions = { extension };
    saving.toolkit->dialogs().savePanel(&window.window(), panel, [weak = window.weak_from_this(), saving, done](std::optional<std::string> chosen) {
        const auto self = weak.lock();
        finish(done, self && chosen && writeEditorDoc(*self, saving, *chosen, true));
    });
}

void editorSavePrompt(ReviewWC& window, ui::Dialogs& dialogs, std::function<void(EditorPromptAnswer)> done)
{
    ui::AlertContent alert;
    alert.message = "Save changes to " + editorFileName(window) + "?";
    alert.informativeText = "Saving writes your edits into the real file. Discarding leaves the file exactly as it was.";
    alert.buttons = { "Save", "Discard Changes", "Keep Editing" };
    alert.cancelButton = 2;
    dialogs.alert(&window.window(), alert, [done = std::move(done)](ui::AlertAnswer answer) {
        done(answer.button == 0 ? EditorPromptAnswer::Save : answer.button == 1 ? EditorPromptAnswer::Discard : EditorPromptAnswer::KeepEditing);
    });
}

void edOpenInWord(ReviewWC& window, const EditorSaving& saving)
{
    if (!window.editor.editorDocPath || !saving.word || !saving.toolkit)
        return;
    const auto open = [word = saving.word](ReviewWC& w) {
        if (w.editor.editorDocPath)
            word->openInWord(*w.editor.editorDocPath);
    };
    if (!window.editor.editorDirty) {
        open(window);
        return;
    }
    const std::string name = wordName(saving);
    ui::AlertContent alert;
    alert.message = "Open the saved version in " + name + "?";
    alert.informativeText = "You have unsaved edits. " + name + " opens the file from disk, so save first to see them there.";
    alert.buttons = { "Save and Open", "Open Without Saving", "Cancel" };
    alert.cancelButton = 2;
    saving.toolkit->dialogs().alert(&window.window(), alert, whileOpen(window, [saving, open](ReviewWC& w, ui::AlertAnswer answer) {
        if (answer.button == 1)
            open(w);
        if (answer.button != 0)
            return;
        saveEditorDocNow(w, saving, whileOpen(w, [open](ReviewWC& saved, bool written) {
            if (written)
                open(saved);
        }));
    }));
}

bool mayCloseEditor(ReviewWC& window, const EditorSaving& saving, std::function<void()> askAgain)
{
    if (!window.editor.editorHost || !window.editor.editorDirty || !saving.toolkit)
        return true;
    editorSavePrompt(window, saving.toolkit->dialogs(), whileOpen(window, [saving, askAgain](ReviewWC& w, EditorPromptAnswer answer) {
        switch (answer) {
        case EditorPromptAnswer::Save:
            saveEditorDocNow(w, saving, [askAgain](bool written) {
                if (written)
                    askAgain();
            });
            break;
        case EditorPromptAnswer::Discard:
            w.editor.editorDirty = false;
            askAgain();
            break;
        case EditorPromptAnswer::KeepEditing:
            break;
        }
    }));
    return false;
}

void pushEditState(ReviewWC& window)
{
    if (!window.editProbe.editProbeEditable)
        return;
    const std::string why = Json(window.editProbe.editProbeWhy).dump();
    window.evaluate(ui::guardedCall("ikwEditState", "true," + why + "," + jsQuote(window.isPdfEdit ? "pdf" : "doc")));
}

void pushWordButton(ReviewWC& window, WordHandOff* word)
{
    if (!window.isReader)
        return;
    const std::string extension = window.sourcePaths.empty() ? std::string() : asciiLowercase(pathExtension(lastPathComponent(window.sourcePaths.front())));
    const bool shown = word && wordDocExts().contains(extension) && word->wordAppURL();
    const auto icon = shown ? word->wordIconDataURI() : std::nullopt;
    window.evaluate(ui::guardedCall("ikwWordButton", std::string(shown ? "true" : "false") + "," + (icon ? jsQuote(*icon) : "null")));
}

void connectEditorSaving(EditorServices& services, const EditorSaving& saving)
{
    services.saveEditorDocNow = [saving](ReviewWC& window, SaveDone done) { saveEditorDocNow(window, saving, std::move(done)); };
    services.saveEditorCopy = [saving](ReviewWC& window) { saveEditorCopy(window, saving, {}); };
    services.editorSavePrompt = [saving](ReviewWC& window, std::function<void(EditorPromptAnswer)> done) {
        if (saving.toolkit)
            editorSavePrompt(window, saving.toolkit->dialogs(), std::move(done));
        else
            done(EditorPromptAnswer::KeepEditing);
    };
    services.edOpenInWord = [saving](ReviewWC& window) { edOpenInWord(window, saving); };
    services.wordButton = [word = saving.word](const std::string& path) -> std::optional<WordButton> {
        if (!word || !wordDocExts().contains(asciiLowercase(pathExtension(lastPathComponent(path)))))
            return std::nullopt;
        const auto application = word->wordAppURL();
        if (!application)
            return std::nullopt;
        const auto icon = word->wordIconImage();
        return WordButton { "Open in " + application->name, "Open this document in " + application->name, icon ? icon->file : std::string() };
    };
}

void registerEditorFeatures(ReviewFeatures& features, const EditorServices& services, const EditorSaving& saving)
{
    features.enterEditorMode = [services](ReviewWC& window) { enterEditorMode(window, services); };
    features.saveEditorDocNow = [saving](ReviewWC& window) { saveEditorDocNow(window, saving, {}); };
    features.pushEditState = [](ReviewWC& window) { pushEditState(window); };
    features.pushWordButton = [word = saving.word](ReviewWC& window) { pushWordButton(window, word.get()); };
    features.mayCloseEditor = [saving](ReviewWC& window, std::function<void()> askAgain) { return mayCloseEditor(window, saving, std::move(askAgain)); };
    // The window is going: the editor's monitor and handlers go with it, without asking.
    features.windowClosing = [earlier = std::move(features.windowClosing)](ReviewWC& window) {
        if (earlier)
            earlier(window);
        releaseEditor(window);
    };
}

void registerEditorSavingActions(UrlActions& actions, const EditorServices& services, const EditorSaving& saving)
{
    actions.add("editmode", [services](const UrlAction& action) { enterEditorMode(action.window, services); });
    actions.add("openinword", [word = saving.word](const UrlAction& action) {
        if (word && !action.window.sourcePaths.empty())
            word->openInWord(action.window.sourcePaths.front());
    });
}

void editDocument(ReviewWC& window, const EditorServices& services, bool stop)
{
    auto& frame = window.window();
    for (int index = 0; index < frame.tabCount(); ++index) {
        if (frame.tab(index) == window.web)
            frame.selectTab(index);
    }
    frame.present();
    if (window.isPdfEdit) {
        window.evaluate(stop ? "if(window.__ikwEditExit){__ikwEditExit()}" : "if(window.__ikwEditEnter){__ikwEditEnter()}");
        return;
    }
    if (stop)
        exitEditorToRead(window, services);
    else
        enterEditorMode(window, services);
}

void registerEditMenuCommand(MenuCommands& commands, const EditorServices& services, std::function<std::shared_ptr<ReviewWC>()> keyReview)
{
    commands.add("editCurrentDoc:",
        [services, keyReview](const MenuUse&) {
            const auto window = keyReview();
            if (window && !window->sourcePaths.empty())
                editDocument(*window, services, window->editor.editorHost != nullptr);
        },
        [keyReview](const MenuUse&) {
            const auto window = keyReview();
            ui::MenuItemState state;
            state.enabled = window && (window->editor.editorHost || window->editProbe.editProbeEditable.has_value());
            if (window && window->editor.editorHost)
                state.title = "Stop Editing";
            else
                state.title = window && window->isPdfEdit ? "Edit This PDF" : "Edit This Document";
            return state;
        });
}

}
