#pragma once

#include "review/SchemeRequest.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace ikw::review {

// A scheme request as a web view would make it, recording every answer it gets (from any thread).
class FakeSchemeRequest {
public:
    explicit FakeSchemeRequest(std::string url);

    const std::shared_ptr<SchemeRequest>& request() const { return m_request; }
    // The reply to hand to a handler's start().
    SchemeReply reply() const;

    // Waits in real time until an answer arrived; false when `seconds` pass first.
    bool waitForAnswer(double seconds = 30) const;
    std::size_t answerCount() const;
    // The first answer, if any.
    std::optional<SchemeAnswer> answer() const;
    std::optional<SchemeError> error() const;
    std::optional<SchemeResponse> response() const;

private:
    struct Record {
        mutable std::mutex mutex;
        std::condition_variable arrived;
        std::vector<SchemeAnswer> answers;
    };
    std::shared_ptr<SchemeRequest> m_request;
    std::shared_ptr<Record> m_record = std::make_shared<Record>();
};

}
