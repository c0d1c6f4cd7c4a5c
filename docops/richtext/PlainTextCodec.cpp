#include "docops/richtext/PlainTextCodec.h"

#include "docops/richtext/PieceBudget.h"
#include "platform/core/TextMetrics.h"

namespace ikw::richtext {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The line end at `at` (a CR or LF) and how many bytes it takes.
std::pair<LineEnd, std::size_t> lineEndAt(std::string_view text, std::size_t at)
{
    if (text[at] == '\n')
        return { LineEnd::Lf, 1 };
    if (at + 1 < text.size() && text[at + 1] == '\n')
        return { LineEnd::CrLf, 2 };
    return { LineEnd::Cr, 1 };
}

}

Result<Document> decodePlainText(std::string_view bytes)
{
    if (bytes.size() > kMaxPlainTextBytes)
        return Failure { "The file is larger than 32 MB, more than the editor opens." };
    Document document;
    std::size_t offset = 0; // of `bytes` in the file, for the messages
    if (bytes.starts_with(kByteOrderMark)) {
        document.byteOrderMark = true;
        bytes.remove_prefix(kByteOrderMark.size());
        offset = kByteOrderMark.size();
    }
    if (const auto invalid = invalidUtf8Offset(bytes))
        return Failure { "The file is not UTF-8 text: the byte at offset " + std::to_string(offset + *invalid) + " is not part of a valid character." };
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        return Failure { "The file is not plain text: it holds a NUL byte at offset " + std::to_string(offset + nul) + "." };

    PieceBudget budget;
    bool sawLineEnd = false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        Paragraph paragraph;
        budget.append(paragraph, bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), {});
        budget.countParagraph();
        if (budget.exceeded())
            return PieceBudget::failure();
        if (end == std::string_view::npos) {
            document.paragraphs.push_back(std::move(paragraph));
            break;
        }
        const auto [lineEnd, length] = lineEndAt(bytes, end);
        paragraph.lineEnd = lineEnd;
        if (!std::exchange(sawLineEnd, true))
            document.defaultLineEnd = lineEnd;
        document.paragraphs.push_back(std::move(paragraph));
        start = end + length;
    }
    return document;
}

Result<std::string> encodePlainText(const Document& document)
{
    std::string bytes;
    if (document.byteOrderMark)
        bytes.append(kByteOrderMark);
    for (std::size_t index = 0; index < document.paragraphs.size(); ++index) {
        const Paragraph& paragraph = document.paragraphs[index];
        for (const TextRun& run : paragraph.runs)
            bytes.append(run.text);
        if (index + 1 < document.paragraphs.size())
            bytes.append(lineEndBytes(paragraph.lineEnd == LineEnd::Default ? document.defaultLineEnd : paragraph.lineEnd));
    }
    if (!isValidUtf8(bytes))
        return Failure { "The text is not valid UTF-8." };
    return bytes;
}

}
