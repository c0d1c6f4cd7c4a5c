#pragma once

#include "platform/core/FileSystem.h"

#include <string>

namespace ikw {
class ReviewWC;
class TaskQueue;
class UrlActions;
struct UrlAction;
namespace ui {
class Toolkit;
}
}

// The reader's annotations on the native side: the annotated copy a reader is given in place of
// its document, the autosave of the page's annotated PDF into that copy, an annotated copy saved
// anywhere, and the Markdown export of the annotations with the document's links. The page keeps
// the annotated PDF as standard Base64 in the globals __ikwAutosaveB64 and __ikwAnnotB64.
namespace ikw::crossdoc {

struct AnnotationServices {
    ui::Toolkit* toolkit = nullptr;
    // A serial queue: reads the page's PDFs and writes annotated copies, in the order asked.
    TaskQueue* documents = nullptr;
    FileSystem* fileSystem = &realFileSystem();
};

// The PDF a reader of `document` shows: its current annotated copy when there is one, else the
// document itself (the stale copies are logged). Records on the window which version of the
// document that is; an autosave against another version is refused. Main thread.
std::string readerPdfFor(ReviewWC& window, const std::string& document);
// The reader was given the document itself again (after the application rewrote it).
void noteReaderShowsDocument(ReviewWC& window, const std::string& document);

// "autosaveannot": the page's __ikwAutosaveB64 becomes the current annotated copy of the window's
// PDF document, when it is a PDF and the document is still the version the reader was given.
void autosaveAnnotatedPDF(ReviewWC& window, const AnnotationServices& services);
// "saveannot" (item `name`): the page's __ikwAnnotB64 saved where the user chooses.
void exportAnnotatedPDF(const UrlAction& action, const AnnotationServices& services);
// "exportannots" (item `name`): the annotations of __ikwAnnotB64 and the document's links as a
// Markdown file where the user chooses, shown in the file manager afterwards.
void exportAnnotations(const UrlAction& action, const AnnotationServices& services);

void registerAnnotationActions(UrlActions& actions, const AnnotationServices& services);

}
