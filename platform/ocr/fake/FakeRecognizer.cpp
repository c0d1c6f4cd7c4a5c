#include "platform/ocr/fake/FakeRecognizer.h"

namespace ikw::ocr::fake {

std::vector<std::string> FakeRecognizer::recognizeLines(const ImageView& image)
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_images;
        m_threads.insert(std::this_thread::get_id());
    }
    if (!image.isUsable())
        return {};
    if (m_answer)
        return m_answer(image);
    return { std::to_string(image.width) + "x" + std::to_string(image.height) };
}

int FakeRecognizer::images() const
{
    const std::lock_guard lock(m_mutex);
    return m_images;
}

std::set<std::thread::id> FakeRecognizer::threads() const
{
    const std::lock_guard lock(m_mutex);
    return m_threads;
}

}
