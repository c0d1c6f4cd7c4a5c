#include "review/DropRouting.h"

#include "platform/core/Paths.h"
#include "platform/core/Text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <string_view>

namespace ikw {

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool endsWithPdf(const std::string& path)
{
    const auto lower = lowered(path);
    return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".pdf") == 0;
}

constexpr std::array<std::string_view, 12> kPairExtensions {
    "pdf", "ppt", "pptx", "key", "doc", "docx", "rtf", "odp", "odt", "pages", "txt", "md"
};

// The shortest text that reads back as the same double, always with a fractional part ("120.0").
std::string jsNumber(double value)
{
    if (!std::isfinite(value))
        return "0.0";
    auto text = formatDouble(value);
    if (text.find_first_of(".eE") == std::string::npos)
        text += ".0";
    return text;
}

}

DropRoute routeDrop(const DropTarget& target, const std::vector<std::string>& paths)
{
    if (target.isCompareIntake)
        return DropRoute::CompareIntake;
    if (target.isReader && !droppedPDFs(paths).empty() && endsWithPdf(target.document) && target.documentExists)
        return DropRoute::AskRail;
    return DropRoute::Open;
}

std::vector<std::string> droppedPDFs(const std::vector<std::string>& paths)
{
    std::vector<std::string> pdfs;
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(pdfs), endsWithPdf);
    return pdfs;
}

bool isDocumentPair(const std::vector<std::string>& paths)
{
    if (paths.size() != 2)
        return false;
    return std::all_of(paths.begin(), paths.end(), [](const std::string& path) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error))
            return false;
        const auto extension = lowered(pathExtension(path));
        return std::find(kPairExtensions.begin(), kPairExtensions.end(), extension) != kPairExtensions.end();
    });
}

std::string railDropScript(double x, double y)
{
    return "(window.__ikwRailDropIndex?window.__ikwRailDropIndex(" + jsNumber(x) + "," + jsNumber(y) + "):'')";
}

RailAnswer readRailAnswer(const ui::ScriptResult& result)
{
    if (!result.value || !result.value->is_string())
        return {};
    const auto parsed = parseJson(result.value->get<std::string>());
    if (!parsed || !parsed->is_object())
        return {};
    RailAnswer answer;
    const auto over = parsed->find("over");
    answer.over = over != parsed->end() && over->is_boolean() && over->get<bool>();
    const auto at = parsed->find("at");
    if (at != parsed->end() && at->is_number_integer())
        answer.at = at->get<int>();
    return answer;
}

}
