#include "crossdoc/AnnotationExport.h"

#include "platform/core/Text.h"

#include <algorithm>

namespace ikw::crossdoc {

namespace {

bool isTextMarkup(const std::string& kind)
{
    return kind == "Highlight" || kind == "Underline" || kind == "StrikeOut";
}

bool isNote(const std::string& kind)
{
    return kind == "FreeText" || kind == "Text" || kind == "Note";
}

std::string kindOf(const pdf::Annotation& annotation)
{
    std::string kind = annotation.type.empty() ? "Annotation" : annotation.type;
    kind.erase(std::remove(kind.begin(), kind.end(), '/'), kind.end());
    return kind;
}

// The text under a markup annotation: each marked area (four corners in /QuadPoints), else its
// whole rectangle; pieces joined by blanks, line ends made blanks.
std::string markupText(const pdf::Document& document, int index, const pdf::Annotation& annotation)
{
    std::vector<std::string> pieces;
    const auto& quads = annotation.quadPoints;
    for (std::size_t at = 0; at + 8 <= quads.size(); at += 8) {
        const auto [left, right] = std::minmax({ quads[at], quads[at + 2], quads[at + 4], quads[at + 6] });
        const auto [bottom, top] = std::minmax({ quads[at + 1], quads[at + 3], quads[at + 5], quads[at + 7] });
        if (auto text = document.textInRect(index, { left, bottom, right, top }); !text.empty())
            pieces.push_back(std::move(text));
    }
    if (pieces.empty()) {
        if (auto text = document.textInRect(index, annotation.rect); !text.empty())
            pieces.push_back(std::move(text));
    }
    std::string joined;
    for (const auto& piece : pieces)
        joined += (joined.empty() ? "" : " ") + piece;
    std::replace(joined.begin(), joined.end(), '\n', ' ');
    return std::string(trim(joined));
}

std::optional<IKWAnno> recordOf(const pdf::Document& document, int index, const pdf::Annotation& annotation)
{
    IKWAnno record { index + 1, kindOf(annotation), {}, {}, annotation.author };
    if (record.kind == "Popup" || record.kind == "Link" || record.kind == "Widget")
        return std::nullopt;
    if (isTextMarkup(record.kind)) {
        record.text = markupText(document, index, annotation);
        record.note = annotation.contents;
        return record.text.empty() ? std::nullopt : std::optional(record);
    }
    if (isNote(record.kind))
        record.kind = "Note";
    record.note = std::string(trim(annotation.contents));
    return record.note.empty() ? std::nullopt : std::optional(record);
}

std::string plural(std::size_t count, const std::string& word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}

std::string annotationMarkdown(const std::vector<IKWAnno>& items, const std::string& title)
{
    std::string markdown = "# Annotations \u2014 " + title + "\n\n_" + plural(items.size(), "annotation") + " \u00B7 exported by Inkwarden_\n";
    std::optional<int> previousPage;
    for (const auto& item : items) {
        if (item.page != previousPage)
            markdown += "\n## Page " + std::to_string(item.page) + "\n\n";
        previousPage = item.page;
        const std::string suffix = item.author.empty() ? "" : " \u2014 " + item.author;
        if (!item.text.empty()) {
            markdown += "> " + item.text + "\n";
            if (!item.note.empty())
                markdown += ">\n> " + item.note + "\n";
            markdown += "\n_" + item.kind + suffix + "_\n\n";
        } else if (!item.note.empty()) {
            markdown += "**Note" + suffix + ":** " + item.note + "\n\n";
        }
    }
    return markdown;
}

AnnotationExport runAnnotationExport(const pdf::Document& document, const std::string& title)
{
    AnnotationExport exported;
    for (int index = 0; index < document.pageCount(); ++index) {
        auto annotations = document.pageAnnotations(index);
        // Top of the bounds in page space, highest first; equal tops keep the page's order.
        std::stable_sort(annotations.begin(), annotations.end(),
            [](const auto& a, const auto& b) { return std::max(a.rect.y0, a.rect.y1) > std::max(b.rect.y0, b.rect.y1); });
        for (const auto& annotation : annotations) {
            if (auto record = recordOf(document, index, annotation))
                exported.items.push_back(std::move(*record));
        }
    }
    exported.markdown = annotationMarkdown(exported.items, title);
    return exported;
}

}
