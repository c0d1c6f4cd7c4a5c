#pragma once

#include "platform/ui/Printing.h"

namespace ikw::ui::gtk3 {

// Printing through GtkPrintOperation: GTK's print dialog and progress, pages drawn as bitmaps at
// the printer's resolution (at most 300 dpi) into each page's cairo context.
class Printing final : public ui::Printing {
public:
    void print(Window* parent, PrintDocument document, const std::string& exportFile) override;
};

}
