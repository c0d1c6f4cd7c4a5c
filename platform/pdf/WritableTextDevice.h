#pragma once

// Internal to the PDF layer: a device in front of MuPDF's PDF-writing device.

#include "platform/pdf/MuPdfContext.h"

namespace ikw::pdf::detail {

// Passes every call on to `target` unchanged, except text in fonts the PDF writer cannot embed
// (Type 3 fonts, fonts without a font program), which MuPDF 1.21 refuses with an error that would
// lose the whole page. Such text is drawn as shapes instead: the page looks the same, though that
// text is no longer text. The caller keeps `target` and closes it; the new device is dropped with
// fz_drop_device. Throws MuPDF errors.
fz_device* newWritableTextDevice(fz_context* context, fz_device* target);

}
