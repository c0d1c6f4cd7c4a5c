#include "platform/ocr/TesseractRecognizer.h"

#include "platform/core/Log.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <omp.h>

#include <memory>

namespace ikw::ocr {

namespace {

constexpr const char* kLanguage = "eng";

struct TesseractText {
    void operator()(char* text) const { delete[] text; }
};
using OwnedText = std::unique_ptr<char, TesseractText>;

// The calling thread's engine, started on its first use; null when it cannot start.
tesseract::TessBaseAPI* threadEngine()
{
    struct Engine {
        std::unique_ptr<tesseract::TessBaseAPI> api = std::make_unique<tesseract::TessBaseAPI>();
        bool started = false;

        Engine()
        {
            // The engine's own parallel loops would fight the other recognising threads for the
            // cores (and slow a busy machine to a crawl): each engine works on its own thread only.
            omp_set_max_active_levels(0);
            // Warnings go nowhere: an image without a resolution or without text is no news.
            api->SetVariable("debug_file", "/dev/null");
            started = api->Init(nullptr, kLanguage, tesseract::OEM_LSTM_ONLY) == 0;
            if (!started)
                logLine(std::string("ocr: Tesseract could not start with the language ") + kLanguage);
        }
        ~Engine() { api->End(); }
    };
    thread_local Engine engine;
    return engine.started ? engine.api.get() : nullptr;
}

std::string withoutTrailingBlanks(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r'))
        text.pop_back();
    return text;
}

}

std::vector<std::string> TesseractRecognizer::recognizeLines(const ImageView& image)
{
    tesseract::TessBaseAPI* engine = image.isUsable() ? threadEngine() : nullptr;
    if (!engine)
        return {};
    engine->SetImage(image.pixels, image.width, image.height, image.bytesPerPixel, image.bytesPerLine);
    engine->SetSourceResolution(image.pixelsPerInch);
    std::vector<std::string> lines;
    if (engine->Recognize(nullptr) == 0) {
        const std::unique_ptr<tesseract::ResultIterator> iterator(engine->GetIterator());
        if (iterator) {
            do {
                const OwnedText text(iterator->GetUTF8Text(tesseract::RIL_TEXTLINE));
                if (text) {
                    std::string line = withoutTrailingBlanks(text.get());
                    if (!line.empty())
                        lines.push_back(std::move(line));
                }
            } while (iterator->Next(tesseract::RIL_TEXTLINE));
        }
    }
    // The engine keeps no borrowed pixels past the call.
    engine->Clear();
    return lines;
}

}
