#include "crossdoc/LivePdfSearch.h"

#include "crossdoc/MatchSnippet.h"
#include "crossdoc/ScopeCandidates.h"
#include "docops/OcrCache.h"
#include "docops/TextLayer.h"
#include "platform/core/Paths.h"
#include "platform/core/TextMetrics.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/PageLabels.h"
#include "platform/pdf/PageTextLayout.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace ikw::crossdoc {

namespace {

// Rectangles this thin are no highlight.
constexpr double kMinimumRectSide = 0.5;

// The folder's own name, also when it is written with a trailing slash.
std::string folderName(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder == "/" ? folder : lastPathComponent(folder);
}

bool exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool hasPdfExtension(const std::string& path)
{
    std::string extension = pathExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "pdf";
}

// The document at the path when it is a regular file (a FIFO or a device would block the reader)
// that opens without a password.
std::optional<pdf::Document> openSearchable(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    pdf::OpenResult opened = pdf::Document::open(path);
    if (opened.status != pdf::OpenResult::Status::Opened)
        return std::nullopt;
    return std::move(opened.document);
}

Json rectJson(const pdf::Rect& rect)
{
    return { { "x", rect.x0 }, { "y", rect.y0 }, { "w", rect.width() }, { "h", rect.height() } };
}

Json hitJson(const LiveSearchHit& hit)
{
    Json json = { { "page", hit.page }, { "label", hit.label }, { "snippet", hit.snippet }, { "match", hit.match }, { "ocr", hit.ocr } };
    if (!hit.rects.empty()) {
        Json rects = Json::array();
        for (const pdf::Rect& rect : hit.rects)
            rects.push_back(rectJson(rect));
        json["rects"] = std::move(rects);
    }
    return json;
}

Json documentJson(const LiveSearchDocument& document)
{
    Json hits = Json::array();
    for (const LiveSearchHit& hit : document.hits)
        hits.push_back(hitJson(hit));
    return { { "path", document.path }, { "name", document.name }, { "count", document.count },
        { "shown", document.hits.size() }, { "hits", std::move(hits) }, { "ocr", document.ocr } };
}

// The highlight of an occurrence: its line bounds in the page's own space, those big enough.
std::vector<pdf::Rect> highlightRects(const pdf::PageTextLayout& layout, TextRange range)
{
    std::vector<pdf::Rect> rects;
    if (!layout.pageSpace() || range.size() == 0)
        return rects;
    for (const pdf::Rect& shown : layout.lineBounds(range.begin, range.end)) {
        const pdf::Rect onPage = layout.pageSpace()->toPage(shown);
        if (onPage.width() > kMinimumRectSide && onPage.height() > kMinimumRectSide)
            rects.push_back(onPage);
    }
    return rects;
}

// Searches one open document page by page, within the limits.
class DocumentSearch {
public:
    // `readAhead` holds the layouts of the first pages when they were read already.
    DocumentSearch(const pdf::Document& document, const CaseInsensitiveFinder& finder, const docops::OcrPageTexts* ocrTexts,
        std::vector<pdf::PageTextLayout> readAhead)
        : m_document(document), m_finder(finder), m_ocrTexts(ocrTexts), m_readAhead(std::move(readAhead))
    {
    }

    void run(LiveSearchDocument& entry)
    {
        m_entry = &entry;
        const int pages = m_document.pageCount();
        for (int index = 0; index < pages; ++index) {
            searchPage(index);
            if (entry.hits.size() >= kLiveHitsPerDocument && entry.count > kLiveEnoughCounted)
                break;
        }
    }

private:
    void searchPage(int index)
    {
        pdf::PageTextLayout layout;
        const std::string* text = nullptr;
        if (m_ocrTexts) {
            const auto found = m_ocrTexts->find(index + 1);
            text = found == m_ocrTexts->end() ? nullptr : &found->second;
        } else {
            const auto at = static_cast<std::size_t>(index);
            layout = at < m_readAhead.size() ? std::move(m_readAhead[at]) : pdf::PageTextLayout::load(m_document, index);
            text = &layout.text();
        }
        if (!text || text->empty())
            return;
        auto matches = m_finder.matchesIn(*text);
        while (const auto range = matches.next()) {
            ++m_entry->count;
            if (m_entry->hits.size() < kLiveHitsPerDocument)
                m_entry->hits.push_back(makeHit(index, *text, *range, layout));
            if (m_entry->count > kLiveMaxCount)
                return;
        }
    }

    LiveSearchHit makeHit(int index, const std::string& text, TextRange range, const pdf::PageTextLayout& layout)
    {
        if (!m_labels)
            m_labels = pdf::PageLabels::read(m_document);
        LiveSearchHit hit;
        hit.page = index + 1;
        hit.label = m_labels->labelOf(index).value_or(std::to_string(index + 1));
        hit.snippet = matchSnippet(text, range, kLiveSnippetRadius, SnippetTrim::SpaceSeparators);
        hit.match = text.substr(range.begin, range.size());
        hit.ocr = m_ocrTexts != nullptr;
        if (!hit.ocr)
            hit.rects = highlightRects(layout, range);
        return hit;
    }

    const pdf::Document& m_document;
    const CaseInsensitiveFinder& m_finder;
    const docops::OcrPageTexts* m_ocrTexts;
    std::vector<pdf::PageTextLayout> m_readAhead;
    std::optional<pdf::PageLabels> m_labels; // read with the first hit
    LiveSearchDocument* m_entry = nullptr;
};

LiveSearchResult emptyResult(const std::string& q, const std::vector<std::string>& dirs)
{
    LiveSearchResult result;
    result.q = q;
    result.scope = dirs.empty() ? std::string() : folderName(dirs.front());
    result.scopeCount = dirs.size();
    return result;
}

// What searching one candidate gave.
struct CandidateOutcome {
    enum class Kind { Skipped, WithoutText, Searched };
    Kind kind = Kind::Skipped;
    LiveSearchDocument document; // searched: its entry, listed when its count is above 0
};

CandidateOutcome searchCandidate(const std::string& path, const CaseInsensitiveFinder& finder)
{
    CandidateOutcome outcome;
    const std::optional<pdf::Document> document = openSearchable(path);
    if (!document)
        return outcome;
    // The text layer test reads pages until one has enough text; the search goes on from there
    // without reading them again.
    std::vector<pdf::PageTextLayout> readAhead;
    bool hasTextLayer = false;
    for (int index = 0, pages = document->pageCount(); index < pages && !hasTextLayer; ++index) {
        readAhead.push_back(pdf::PageTextLayout::load(*document, index));
        hasTextLayer = docops::isTextLayerPage(readAhead.back().text());
    }
    std::optional<docops::OcrPageTexts> ocrTexts;
    if (!hasTextLayer) {
        readAhead.clear();
        ocrTexts = docops::ocrCacheRead(path);
        if (!ocrTexts) {
            outcome.kind = CandidateOutcome::Kind::WithoutText;
            return outcome;
        }
    }
    outcome.kind = CandidateOutcome::Kind::Searched;
    outcome.document.path = path;
    outcome.document.name = lastPathComponent(path);
    outcome.document.ocr = ocrTexts.has_value();
    DocumentSearch(*document, finder, ocrTexts ? &*ocrTexts : nullptr, std::move(readAhead)).run(outcome.document);
    return outcome;
}

}

Json LiveSearchResult::toJson() const
{
    Json documents = Json::array();
    for (const LiveSearchDocument& document : docs)
        documents.push_back(documentJson(document));
    Json noText = Json::array();
    for (const ScannedDocument& document : scannedNoText)
        noText.push_back({ { "path", document.path }, { "name", document.name } });
    Json json = { { "q", q }, { "docs", std::move(documents) }, { "docCount", docs.size() }, { "hitCount", hitCount },
        { "scanned", scanned }, { "truncated", truncated }, { "scope", scope }, { "scopeCount", scopeCount },
        { "scannedNoText", std::move(noText) }, { "ocrUsed", ocrUsed } };
    if (note)
        json["note"] = *note;
    return json;
}

LiveSearchResult runPDFSearch(const std::string& q, const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles)
{
    LiveSearchResult result = emptyResult(q, dirs);
    if (graphemeCount(q) < 2) {
        result.note = q.empty() ? "empty" : "short";
        return result;
    }
    const std::vector<std::string> candidates = collectScope(dirs, explicitFiles,
        ScopeRules { .maxFiles = kLiveMaxFiles, .acceptGiven = exists, .acceptFound = hasPdfExtension });
    result.scanned = candidates.size();
    const CaseInsensitiveFinder finder(q);
    for (const std::string& path : candidates) {
        if (result.docs.size() >= kLiveMaxDocuments)
            break;
        CandidateOutcome outcome = searchCandidate(path, finder);
        if (outcome.kind == CandidateOutcome::Kind::WithoutText) {
            if (result.scannedNoText.size() < kLiveMaxScannedNoText)
                result.scannedNoText.push_back({ path, lastPathComponent(path) });
            continue;
        }
        if (outcome.kind != CandidateOutcome::Kind::Searched)
            continue;
        if (outcome.document.ocr)
            ++result.ocrUsed;
        if (outcome.document.count > 0) {
            result.hitCount += outcome.document.count;
            result.docs.push_back(std::move(outcome.document));
        }
    }
    std::stable_sort(result.docs.begin(), result.docs.end(),
        [](const LiveSearchDocument& a, const LiveSearchDocument& b) { return a.count > b.count; });
    result.truncated = candidates.size() >= kLiveMaxFiles || result.docs.size() >= kLiveMaxDocuments;
    return result;
}

}
