#pragma once

#include "platform/ocr/TextRecognizer.h"

namespace ikw::ocr {

// Tesseract's LSTM engine with the English model ("eng" from the system's tessdata). Starting an
// engine takes a while and one engine serves one thread at a time, so every thread that recognises
// keeps its own engine for as long as it runs; a page never starts one. An engine that cannot
// start (no model installed) recognises nothing.
class TesseractRecognizer final : public TextRecognizer {
public:
    std::vector<std::string> recognizeLines(const ImageView& image) override;
};

}
