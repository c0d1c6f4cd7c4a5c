#pragma once

#include "services/OakruneFailure.h"

#include <exception>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace ikw::services {

// What one call of the contract-library client came to, as the actions show it: the value, or
// the words for the user.
template <typename T>
struct OakruneAnswer {
    std::optional<T> value;
    std::string failure; // set when there is no value; never empty then
};

// Runs one client call; a failure gives its message, anything thrown the exception's own words.
template <typename Call>
auto oakruneAnswerOf(Call call)
{
    using Value = std::decay_t<decltype(call().value())>;
    OakruneAnswer<Value> answer;
    try {
        auto result = call();
        if (result)
            answer.value = std::move(result.value());
        else
            answer.failure = result.failure().message();
    } catch (const std::exception& error) {
        answer.failure = error.what();
    } catch (...) {
    }
    if (!answer.value && answer.failure.empty())
        answer.failure = "Unknown error.";
    return answer;
}

}
