#include "docops/richtext/RichText.h"

namespace ikw::richtext {

void Paragraph::append(std::string_view text, const RunAttributes& attributes)
{
    if (text.empty())
        return;
    if (!runs.empty() && runs.back().attributes == attributes) {
        runs.back().text.append(text);
        return;
    }
    runs.push_back(TextRun { std::string(text), attributes });
}

std::string Paragraph::text() const
{
    std::string text;
    for (const TextRun& run : runs)
        text.append(run.text);
    return text;
}

std::string_view lineEndBytes(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::CrLf:
        return "\r\n";
    case LineEnd::Cr:
        return "\r";
    case LineEnd::Default:
    case LineEnd::Lf:
        break;
    }
    return "\n";
}

}
