#pragma once

#include "platform/ui/Toolkit.h"

#include <functional>
#include <optional>
#include <string>

namespace ikw {
class ReviewWC;
class UrlActions;
}

namespace ikw::docops {

enum class EditorPromptAnswer { Save, Discard, KeepEditing };

// The word processor a document can be handed to: its button's title, tooltip and icon.
struct WordButton {
    std::string title;
    std::string tooltip;
    std::string iconPath;
};

// What the editor takes from the running application. Saving and the hand-off are entries so the
// editor works (and is tested) without them: an empty save fails, an empty prompt keeps editing.
// EditorSaving.h fills them.
struct EditorServices {
    ui::Toolkit* toolkit = nullptr;
    std::function<void(ReviewWC&)> reloadReaderInPlace;
    // Answers whether the file was written (once any questions were answered).
    std::function<void(ReviewWC&, std::function<void(bool saved)>)> saveEditorDocNow;
    std::function<void(ReviewWC&)> saveEditorCopy;
    std::function<void(ReviewWC&, std::function<void(EditorPromptAnswer)>)> editorSavePrompt;
    std::function<void(ReviewWC&)> edOpenInWord;
    std::function<std::optional<WordButton>(const std::string& path)> wordButton;
};

// The texts of the editor's status label.
inline constexpr const char* kEditorStatusClean = "Editing: saves the real file";
inline constexpr const char* kEditorStatusEdited = "Edited: Ctrl+S saves the real file";

// Night: the application's scheme is dark. Dark paper: night, and "editor_paper" is not "light".
bool editorIsNight(const ReviewWC& window);
std::string editorPaperPref();
bool editorPaperIsDark(const ReviewWC& window);

// Opens the editor over a reader's web view for its first source path. Nothing happens unless the
// window is a reader whose edit probe answered, with a path and no editor open.
void enterEditorMode(ReviewWC& window, const EditorServices& services);
// Leaves the editor, asking first when there are unsaved edits.
void exitEditorToRead(ReviewWC& window, const EditorServices& services);
// Removes the editor without asking and shows the web view again.
void teardownEditor(ReviewWC& window);
// Lets go of the editor's key monitor, handlers and state, leaving the window as it is (for a
// window that is closing).
void releaseEditor(ReviewWC& window);
void layoutEditorPage(ReviewWC& window);

// Format actions on the selection (or, with none, on what is typed next).
enum class EditorTrait { Bold, Italic };
void edToggleTrait(ReviewWC& window, EditorTrait trait);
void edUnderline(ReviewWC& window);
void edFonts(ReviewWC& window);
void edColor(ReviewWC& window);
void edAlign(ReviewWC& window, int segment);
// Switches between the night page and the true white page, keeping unsaved edits.
void edTogglePaper(ReviewWC& window, const EditorServices& services);
void hideEditorNotice(ReviewWC& window);
// The tab's and (when it is the selected tab) the window's title.
void setEditorTitle(ReviewWC& window, const std::string& title);
// The editor's keys: Ctrl+S saves, Ctrl+E leaves (Shift and Alt unheld); whether it took the key.
bool editorKeyDown(ReviewWC& window, const EditorServices& services, const ui::KeyPress& key);

// "editimage": an image file chosen by the user, handed to the reader's PDF editing page as a
// PNG data URL.
void editImportImage(ReviewWC& window, ui::WebView& sender, ui::Toolkit& toolkit);
void registerEditorActions(UrlActions& actions, const EditorServices& services);

}
