#include "platform/pdf/PageLabels.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/MuPdfContext.h"

#include <algorithm>
#include <set>
#include <utility>

namespace ikw::pdf {

using namespace detail;

namespace {

// Bounds against hostile trees: their depth and the number of ranges read.
constexpr int kMaxTreeDepth = 32;
constexpr std::size_t kMaxRanges = 100000;
// Keeps first number plus page index far from overflowing.
constexpr long long kMaxFirstNumber = 1LL << 53;
// Roman numerals beyond this, and letters repeated more often, are written in decimal.
constexpr long long kMaxRoman = 3999;
constexpr long long kMaxLetterRepeats = 100;

std::string roman(long long number, bool upper)
{
    static constexpr std::pair<int, const char*> kDigits[] = { { 1000, "m" }, { 900, "cm" }, { 500, "d" }, { 400, "cd" },
        { 100, "c" }, { 90, "xc" }, { 50, "l" }, { 40, "xl" }, { 10, "x" }, { 9, "ix" }, { 5, "v" }, { 4, "iv" }, { 1, "i" } };
    std::string text;
    for (const auto& [value, digits] : kDigits) {
        for (; number >= value; number -= value)
            text += digits;
    }
    if (upper)
        std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(c - 'a' + 'A'); });
    return text;
}

std::string letters(long long number, bool upper)
{
    const char letter = static_cast<char>((upper ? 'A' : 'a') + (number - 1) % 26);
    return std::string(static_cast<std::size_t>((number - 1) / 26 + 1), letter);
}

// One range from its number-tree entry; none when the value is not a dictionary.
std::optional<PageLabels::Range> readRange(fz_context* context, int firstPage, pdf_obj* value)
{
    if (!pdf_is_dict(context, value))
        return std::nullopt;
    PageLabels::Range range;
    range.firstPage = firstPage;
    const char* style = pdf_to_name(context, pdf_dict_get(context, value, PDF_NAME(S)));
    if (style[0] && !style[1] && std::string_view("DRrAa").find(style[0]) != std::string_view::npos)
        range.style = style[0];
    range.prefix = pdf_dict_get_text_string(context, value, PDF_NAME(P));
    pdf_obj* start = pdf_dict_gets(context, value, "St");
    if (pdf_is_int(context, start))
        range.firstNumber = std::clamp<long long>(pdf_to_int64(context, start), 1, kMaxFirstNumber);
    return range;
}

// Collects the tree's entries depth first; nodes met twice (a cycle) are read once. Throws MuPDF
// errors.
void collectRanges(fz_context* context, pdf_obj* node, int depth, std::set<int>& visited, std::vector<PageLabels::Range>& ranges)
{
    if (!pdf_is_dict(context, node) || depth > kMaxTreeDepth)
        return;
    if (pdf_is_indirect(context, node) && !visited.insert(pdf_to_num(context, node)).second)
        return;
    pdf_obj* numbers = pdf_dict_get(context, node, PDF_NAME(Nums));
    const int length = pdf_array_len(context, numbers);
    for (int at = 0; at + 1 < length && ranges.size() < kMaxRanges; at += 2) {
        pdf_obj* key = pdf_array_get(context, numbers, at);
        if (!pdf_is_int(context, key) || pdf_to_int(context, key) < 0)
            continue;
        if (auto range = readRange(context, pdf_to_int(context, key), pdf_array_get(context, numbers, at + 1)))
            ranges.push_back(std::move(*range));
    }
    pdf_obj* kids = pdf_dict_get(context, node, PDF_NAME(Kids));
    for (int at = 0; at < pdf_array_len(context, kids); ++at)
        collectRanges(context, pdf_array_get(context, kids, at), depth + 1, visited, ranges);
}

}

std::string pageLabelNumber(char style, long long number)
{
    switch (style) {
    case 'R':
    case 'r':
        if (number >= 1 && number <= kMaxRoman)
            return roman(number, style == 'R');
        break;
    case 'A':
    case 'a':
        if (number >= 1 && (number - 1) / 26 < kMaxLetterRepeats)
            return letters(number, style == 'A');
        break;
    case 'D':
        break;
    default:
        return {};
    }
    return std::to_string(number);
}

PageLabels PageLabels::read(const Document& document)
{
    const DocumentLock lock(documentMutex());
    fz_context* context = threadContext();
    std::vector<Range> ranges;
    fz_try(context)
    {
        pdf_obj* root = pdf_dict_get(context, pdf_trailer(context, document.raw()), PDF_NAME(Root));
        std::set<int> visited;
        collectRanges(context, pdf_dict_gets(context, root, "PageLabels"), 0, visited, ranges);
    }
    fz_catch(context)
    {
        return {};
    }
    // Of two ranges that start on one page, the later entry wins.
    std::stable_sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.firstPage < b.firstPage; });
    PageLabels labels;
    labels.m_ranges = std::move(ranges);
    return labels;
}

std::optional<std::string> PageLabels::labelOf(int index) const
{
    // The last range that starts at or before the page.
    const auto after = std::upper_bound(m_ranges.begin(), m_ranges.end(), index,
        [](int page, const Range& range) { return page < range.firstPage; });
    if (after == m_ranges.begin())
        return std::nullopt;
    const Range& range = *std::prev(after);
    std::string label = range.prefix + pageLabelNumber(range.style, range.firstNumber + (index - range.firstPage));
    if (label.empty())
        return std::nullopt;
    return label;
}

}
