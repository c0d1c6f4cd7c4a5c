#include "review/fake/FakeSchemeRequest.h"

#include <chrono>

namespace ikw::review {

FakeSchemeRequest::FakeSchemeRequest(std::string url)
    : m_request(std::make_shared<SchemeRequest>(std::move(url)))
{
}

SchemeReply FakeSchemeRequest::reply() const
{
    return [record = m_record](SchemeAnswer answer) {
        const std::lock_guard lock(record->mutex);
        record->answers.push_back(std::move(answer));
        record->arrived.notify_all();
    };
}

bool FakeSchemeRequest::waitForAnswer(double seconds) const
{
    std::unique_lock lock(m_record->mutex);
    return m_record->arrived.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return !m_record->answers.empty(); });
}

std::size_t FakeSchemeRequest::answerCount() const
{
    const std::lock_guard lock(m_record->mutex);
    return m_record->answers.size();
}

std::optional<SchemeAnswer> FakeSchemeRequest::answer() const
{
    const std::lock_guard lock(m_record->mutex);
    if (m_record->answers.empty())
        return std::nullopt;
    return m_record->answers.front();
}

std::optional<SchemeError> FakeSchemeRequest::error() const
{
    const std::optional<SchemeAnswer> first = answer();
    if (!first || !std::holds_alternative<SchemeError>(*first))
        return std::nullopt;
    return std::get<SchemeError>(*first);
}

std::optional<SchemeResponse> FakeSchemeRequest::response() const
{
    const std::optional<SchemeAnswer> first = answer();
    if (!first || !std::holds_alternative<SchemeResponse>(*first))
        return std::nullopt;
    return std::get<SchemeResponse>(*first);
}

}
