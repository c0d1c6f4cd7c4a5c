// The page tree of an edited document and the page labels that follow its order.

#include "platform/pdf/QpdfEditing.h"

#include <qpdf/QPDFNumberTreeObjectHelper.hh>

#include <algorithm>

namespace ikw::pdf::detail {

namespace {

constexpr int kNoRange = -1;
constexpr int kNewPage = -2;

struct LabelRange {
    long long start = 0;
    QPDFObjectHandle style; // /S, /P and /St of the range
};

std::vector<LabelRange> labelRanges(QPDF& document, QPDFObjectHandle labels)
{
    std::vector<LabelRange> ranges;
    QPDFNumberTreeObjectHelper tree(labels, document);
    for (auto entry : tree) {
        if (entry.first >= 0 && entry.second.isDictionary())
            ranges.push_back({ entry.first, entry.second });
    }
    std::sort(ranges.begin(), ranges.end(), [](const LabelRange& a, const LabelRange& b) { return a.start < b.start; });
    return ranges;
}

int rangeOf(const std::vector<LabelRange>& ranges, int page)
{
    const auto after = std::upper_bound(ranges.begin(), ranges.end(), page, [](int index, const LabelRange& range) { return index < range.start; });
    return after == ranges.begin() ? kNoRange : static_cast<int>(after - ranges.begin()) - 1;
}

// The range of each page now in the document; a new page takes the range of the page before it,
// or at the front the one after it.
std::vector<int> rangesOfPages(const std::vector<LabelRange>& ranges, std::span<const int> origins)
{
    std::vector<int> result;
    for (const int origin : origins)
        result.push_back(origin >= 0 ? rangeOf(ranges, origin) : kNewPage);
    for (std::size_t index = 1; index < result.size(); ++index) {
        if (result[index] == kNewPage)
            result[index] = result[index - 1];
    }
    for (std::size_t index = result.size(); index-- > 1;) {
        if (result[index - 1] == kNewPage)
            result[index - 1] = result[index];
    }
    std::replace(result.begin(), result.end(), kNewPage, kNoRange);
    return result;
}

// The label dictionary of a run of pages of one range whose first page is the range's
// `alreadyNumbered`-th.
QPDFObjectHandle runStyle(const LabelRange& range, long long alreadyNumbered)
{
    QPDFObjectHandle style = QPDFObjectHandle(range.style).shallowCopy();
    QPDFObjectHandle start = style.getKey("/St");
    const long long first = start.isInteger() && start.getIntValue() > 0 ? start.getIntValue() : 1;
    if (first + alreadyNumbered != 1 || start.isInteger())
        style.replaceKey("/St", QPDFObjectHandle::newInteger(first + alreadyNumbered));
    return style;
}

}

void setPageTree(QPDF& document, std::span<const QPDFObjectHandle> pages)
{
    QPDFObjectHandle root = document.getRoot().getKey("/Pages");
    std::vector<QPDFObjectHandle> kids(pages.begin(), pages.end());
    for (QPDFObjectHandle& page : kids)
        page.replaceKey("/Parent", root);
    root.replaceKey("/Kids", QPDFObjectHandle::newArray(kids));
    root.replaceKey("/Count", QPDFObjectHandle::newInteger(static_cast<long long>(kids.size())));
    document.updateAllPagesCache();
}

QPDFObjectHandle newBlankPage(QPDF& document, const QPDFObjectHandle::Rectangle& mediaBox)
{
    QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
    page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    page.replaceKey("/MediaBox", QPDFObjectHandle::newArray(mediaBox));
    page.replaceKey("/Resources", QPDFObjectHandle::newDictionary());
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&document, ""));
    return document.makeIndirectObject(page);
}

void renumberPageLabels(QPDF& document, std::span<const int> origins)
{
    QPDFObjectHandle catalog = document.getRoot();
    QPDFObjectHandle labels = catalog.getKey("/PageLabels");
    if (!labels.isDictionary())
        return;
    const std::vector<LabelRange> ranges = labelRanges(document, labels);
    if (ranges.empty())
        return;
    const std::vector<int> pageRanges = rangesOfPages(ranges, origins);
    std::vector<long long> numbered(ranges.size());
    std::vector<QPDFObjectHandle> nums;
    for (std::size_t first = 0; first < pageRanges.size();) {
        const int range = pageRanges[first];
        std::size_t end = first;
        while (end < pageRanges.size() && pageRanges[end] == range)
            ++end;
        if (range != kNoRange) {
            nums.push_back(QPDFObjectHandle::newInteger(static_cast<long long>(first)));
            nums.push_back(runStyle(ranges[static_cast<std::size_t>(range)], numbered[static_cast<std::size_t>(range)]));
            numbered[static_cast<std::size_t>(range)] += static_cast<long long>(end - first);
        } else if (first > 0) {
            // Pages that had no label after labelled ones: numbered as plain page numbers.
            QPDFObjectHandle plain = QPDFObjectHandle::newDictionary();
            plain.replaceKey("/S", QPDFObjectHandle::newName("/D"));
            plain.replaceKey("/St", QPDFObjectHandle::newInteger(static_cast<long long>(first + 1)));
            nums.push_back(QPDFObjectHandle::newInteger(static_cast<long long>(first)));
            nums.push_back(plain);
        }
        first = end;
    }
    QPDFObjectHandle renumbered = QPDFObjectHandle::newDictionary();
    renumbered.replaceKey("/Nums", QPDFObjectHandle::newArray(nums));
    catalog.replaceKey("/PageLabels", document.makeIndirectObject(renumbered));
}

}
