#pragma once

#include "platform/ocr/TextRecognizer.h"

#include <functional>
#include <mutex>
#include <thread>
#include <set>

namespace ikw::ocr::fake {

// A recogniser that answers every usable image with the lines of `answer` (by default one line
// naming the image's size, "800x600"), and counts what it was given. Thread-safe.
class FakeRecognizer final : public TextRecognizer {
public:
    using Answer = std::function<std::vector<std::string>(const ImageView&)>;
    explicit FakeRecognizer(Answer answer = {}) : m_answer(std::move(answer)) { }

    std::vector<std::string> recognizeLines(const ImageView& image) override;

    int images() const;
    std::set<std::thread::id> threads() const;

private:
    Answer m_answer;
    mutable std::mutex m_mutex;
    int m_images = 0;
    std::set<std::thread::id> m_threads;
};

}
