#include "assistants/PhotoAnswers.h"

#include "platform/core/Json.h"

#include <algorithm>

namespace ikw::assistants {

namespace {

constexpr const char* kSetAsideDestination = "the \u2018Culmora Set Aside\u2019 album in Photos";

std::string quotedText(std::string text)
{
    std::replace(text.begin(), text.end(), '"', '\'');
    return jsQuote(text);
}

std::string countAnswer(std::string_view countKey, const photos::AlbumChange& change, std::string_view textKey, const std::string& text)
{
    std::string answer = "{\"";
    answer.append(countKey).append("\":");
    if (change.error)
        return answer.append("0,\"error\":").append(quotedText(*change.error)).append("}");
    answer.append(std::to_string(change.count)).append(",\"").append(textKey).append("\":");
    return answer.append(quotedText(text)).append("}");
}

}

std::string setAsideAnswer(const photos::AlbumChange& change)
{
    return countAnswer("moved", change, "dest", kSetAsideDestination);
}

std::string collectAnswer(bool removal, const photos::AlbumChange& change, const std::string& albumTitle)
{
    return countAnswer(removal ? "removed" : "filed", change, "album", albumTitle);
}

std::string photoCallbackScript(std::string_view function, std::string_view answer)
{
    std::string script = "if(window.";
    script.append(function).append(")try{").append(function).append("(").append(answer).append(")}catch(e){}");
    return script;
}

}
