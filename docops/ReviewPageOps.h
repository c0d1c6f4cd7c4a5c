#pragma once

#include "docops/FileOpHost.h"
#include "docops/OcrActions.h"
#include "docops/RewriteQueue.h"
#include "platform/speech/Speech.h"
#include "platform/ui/Toolkit.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw {
class MenuCommands;
class ReviewWC;
class UrlActions;
struct ReviewFeatures;
}

namespace ikw::docops {

// What page operations take from the running application.
struct PageOpServices {
    ui::Toolkit* toolkit = nullptr;
    RewriteQueue* rewrites = nullptr;
    std::function<void()> reloadSettingsPanelIfOpen {};
    // The reader page's URL showing a PDF (from its first page); none when there is no reader page.
    std::function<std::optional<std::string>(const std::string& pdf)> readerURL {};
    // The system's speech for reading aloud; none: the reading actions are not offered.
    speech::SpeechService* speech = nullptr;
    // Told when a reader is given its rewritten document afresh (the annotations note its version).
    std::function<void(ReviewWC& window, const std::string& document)> readerShowsDocument {};
    // Recognising scanned PDFs ("readerocr", "ocr"); not offered when incomplete.
    OcrServices ocr {};
};

// The review window as page operations see it; the window is held weakly.
std::shared_ptr<FileOpHost> makeReviewFileOpHost(ReviewWC& window, PageOpServices services);

// The "pageop" action of reader pages, the batch tools ("toolop", "compressfile"), Shrink ("compress"), page images
// ("pages"), printing ("printdoc"), reading aloud ("speak", "speakpause", "speakresume",
// "speakstop") and recognising scanned PDFs ("readerocr", "ocr").
void registerActions(UrlActions& actions, const PageOpServices& services);
// The key review window and its current document (an existing file), as the window lookups find them.
struct KeyDocument {
    std::shared_ptr<ReviewWC> window;
    std::optional<std::string> path;
};
using KeyReaderDocument = std::function<KeyDocument()>;
// The menu's "shrinkCurrentDoc:": Shrink for the key window when it is a reader of a ".pdf" file
// (its validation row belongs to the window lookups).
void registerShrinkMenuCommand(MenuCommands& commands, const PageOpServices& services, KeyReaderDocument keyReaderDocument);

// PDFs dropped on a reader's page rail are inserted where the page says; a closing window stops
// reading aloud.
void registerFeatures(ReviewFeatures& features, const PageOpServices& services);

}
