#pragma once

#include "platform/pdf/Document.h"
#include "platform/ui/Printing.h"

#include <string>

namespace ikw {
class ReviewWC;
class UrlActions;
namespace ui {
class Window;
}
}

namespace ikw::docops {

// The toast a reader page shows when it has nothing to print.
inline constexpr const char* kNothingToPrintScript = "window.__ikwToast && __ikwToast('Could not prepare the document to print')";

// Prints a PDF through the platform's print dialog, modal to `parent`: each page's crop box as it
// is shown, drawn at the printer's resolution, scaled down to fit and turned to the paper.
void printPdf(ui::Printing& printing, ui::Window* parent, pdf::Document document, const std::string& jobName,
    const std::string& exportFile = {});

// "printdoc": prints the PDF bytes the reader page offers (`__ikwPrintB64`), else the PDF the
// window itself shows, else the page toasts that there is nothing to print.
void printReaderBytes(ReviewWC& window, ui::Printing& printing);

// Asks a reader page to print what it shows (the page's own `__ikwPrint`).
void printDoc(ReviewWC& window);

void registerPrintActions(UrlActions& actions, ui::Printing& printing);

}
