#include "platform/speech/Speech.h"

#include <algorithm>
#include <cctype>

namespace ikw::speech {

std::optional<Voice> voiceForLanguage(const std::vector<Voice>& voices, std::string_view language)
{
    const auto sameLanguage = [language](const Voice& voice) {
        return std::ranges::equal(voice.language, language, [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
    };
    const auto it = std::ranges::find_if(voices, sameLanguage);
    if (it == voices.end())
        return std::nullopt;
    return *it;
}

}
