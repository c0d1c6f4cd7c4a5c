#pragma once

#include "docops/EditorMode.h"
#include "platform/core/FileSystem.h"

#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace ikw {
class MenuCommands;
struct ReviewFeatures;
}

namespace ikw::docops {

class WordHandOff;

// What saving the editor's text and handing it to the word processor work with.
struct EditorSaving {
    ui::Toolkit* toolkit = nullptr;
    FileSystem* fileSystem = nullptr; // none: the real one
    std::shared_ptr<WordHandOff> word; // none: no word processor
};

using SaveDone = std::function<void(bool saved)>;

// "edit_fidelity_warn": ask before overwriting a document the editor cannot fully keep (default on).
bool editFidelityWarnEnabled();
void setEditFidelityWarn(bool on);
// "Saved 3:07 PM": the time in the fixed 12-hour form h:mm a.
std::string savedStatus(std::tm local);

// Saves the editor's text into its file, after the two questions: the file changed on disk since
// it was loaded, and (unless switched off) the editor cannot keep everything the file holds.
void saveEditorDocNow(ReviewWC& window, const EditorSaving& saving, SaveDone done);
// Writes the editor's text to `to` (atomically, keeping what the file's format keeps of the file
// as read). With `retarget` the editor then edits that file. Whether it was written; a failure
// is shown and leaves the file and the editor's dirty state as they were.
bool writeEditorDoc(ReviewWC& window, const EditorSaving& saving, const std::string& to, bool retarget);
// Writes the edits to a new file the user names (proposed "<name> (edited).<ext>" beside the
// document) and edits that file from then on; the document itself is not touched.
void saveEditorCopy(ReviewWC& window, const EditorSaving& saving, SaveDone done);
// "Save changes to <name>?": Save, Discard Changes, Keep Editing.
void editorSavePrompt(ReviewWC& window, ui::Dialogs& dialogs, std::function<void(EditorPromptAnswer)> done);
// The toolbar's word-processor button: asks to save first when there are unsaved edits.
void edOpenInWord(ReviewWC& window, const EditorSaving& saving);
// The window's close: true when it may go on now; otherwise the user is asked, the edits are
// saved or discarded as answered, and `askAgain` repeats the close (not after Keep Editing or a
// failed save).
bool mayCloseEditor(ReviewWC& window, const EditorSaving& saving, std::function<void()> askAgain);

// Answers to the reader page: whether the document can be edited (once the probe answered) and
// whether it gets a word-processor button.
void pushEditState(ReviewWC& window);
void pushWordButton(ReviewWC& window, WordHandOff* word);

// Fills the editor's saving and hand-off entries.
void connectEditorSaving(EditorServices& services, const EditorSaving& saving);
// The window's feature entries: the edit state, the word button, the close question and the
// editor's teardown when the window goes.
void registerEditorFeatures(ReviewFeatures& features, const EditorServices& services, const EditorSaving& saving);
// "editmode" and "openinword" (and "editimage").
void registerEditorSavingActions(UrlActions& actions, const EditorServices& services, const EditorSaving& saving);

// Enters or leaves the editor of a window, its tab brought forward first; a PDF being edited on
// its page is told instead.
void editDocument(ReviewWC& window, const EditorServices& services, bool stop);
// The menu's "editCurrentDoc:" for the key review window, with its title and enabled state.
void registerEditMenuCommand(MenuCommands& commands, const EditorServices& services, std::function<std::shared_ptr<ReviewWC>()> keyReview);

}
