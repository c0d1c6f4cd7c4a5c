#include "assistants/OrganizeProgress.h"

#include "platform/core/Json.h"
#include "platform/core/Text.h"

#include <optional>

namespace ikw::assistants {

namespace {

constexpr std::string_view kBullet = "\u00B7 ";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

struct Fraction {
    std::string_view step;
    std::string_view total;
};

// The first run of digits, a slash and digits, taking the whole digit runs on either side.
std::optional<Fraction> firstFraction(std::string_view line)
{
    for (std::size_t slash = line.find('/'); slash != std::string_view::npos; slash = line.find('/', slash + 1)) {
        std::size_t begin = slash;
        while (begin > 0 && isDigit(line[begin - 1]))
            --begin;
        std::size_t end = slash + 1;
        while (end < line.size() && isDigit(line[end]))
            ++end;
        if (begin < slash && end > slash + 1)
            return Fraction { line.substr(begin, slash - begin), line.substr(slash + 1, end - slash - 1) };
    }
    return std::nullopt;
}

}

std::string_view withoutProgressBullet(std::string_view line)
{
    return line.starts_with(kBullet) ? line.substr(kBullet.size()) : line;
}

OrganizeProgress planProgress(std::string_view line, long long documentCount)
{
    OrganizeProgress progress { std::string(withoutProgressBullet(line)), 0, documentCount };
    if (const auto fraction = firstFraction(progress.text)) {
        progress.step = parseInteger(fraction->step).value_or(0);
        progress.total = parseInteger(fraction->total).value_or(documentCount);
    }
    return progress;
}

OrganizeProgress applyProgress(std::string_view line)
{
    return OrganizeProgress { std::string(withoutProgressBullet(line)), 0, 0 };
}

std::string organizeProgressScript(const OrganizeProgress& progress)
{
    return "if(window.ikwOrgProgress)try{ikwOrgProgress(" + jsQuote(progress.text) + "," + std::to_string(progress.step) + ","
        + std::to_string(progress.total) + ")}catch(e){}";
}

}
