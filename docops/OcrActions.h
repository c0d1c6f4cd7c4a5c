#pragma once

#include "platform/core/Json.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
class TaskQueue;
struct UrlAction;
namespace ocr {
class TextRecognizer;
}
}

namespace ikw::docops {

// What the OCR actions take from the running application: the background workers, the recogniser,
// and the live search (on a worker) with the folders a window's search covers.
struct OcrServices {
    TaskQueue* workers = nullptr;
    std::shared_ptr<ocr::TextRecognizer> recognizer;
    std::function<Json(const std::string& q, const std::vector<std::string>& dirs, const std::vector<std::string>& files)> search {};
    std::function<std::vector<std::string>(const ReviewWC& window)> scopeDirs {};

    bool isComplete() const { return workers && recognizer && search && scopeDirs; }
};

// "readerocr": recognises the reader's document (the `path` item, else the window's first source),
// writes its OCR cache and searches it for `q`. The page hears ikwReaderOCRProgress at 0 of 1,
// ikwOCRPageProgress after each page, then 1 of 1 and ikwReaderSearchResults. A missing file gets
// no answer at all. Main thread.
void readerOCR(const UrlAction& action, const OcrServices& services);

// "ocr": recognises each PDF of `paths` (a JSON array; when missing, invalid or empty, the one
// `path`), with ikwOCRProgress after each file, then runs the window's search for `q` again and
// answers ikwSearchResults and ikwOCRDone. Main thread.
void crossFolderOCR(const UrlAction& action, const OcrServices& services);

}
