#include "crossdoc/TextExtractors.h"

#include "crossdoc/DocxText.h"
#include "crossdoc/ParagraphChunks.h"
#include "crossdoc/RegularFile.h"
#include "platform/core/Process.h"
#include "platform/core/RtfPlainText.h"
#include "platform/core/TextMetrics.h"
#include "platform/core/ZipArchive.h"

namespace ikw::crossdoc {

namespace {

constexpr std::string_view kZipSignature = "PK\x03\x04";
constexpr std::string_view kRtfSignature = "{\\rtf";

std::vector<Chunk> wordParagraphs(std::string_view text)
{
    return paragraphChunks(text, "para", "\u00b6", false);
}

// A path as a converter's last argument: never one that could read as an option.
std::string argumentPath(const std::string& path)
{
    return path.starts_with("/") ? path : "./" + path;
}

// A binary Word document through the converter, within the time limit.
std::vector<Chunk> convertedParagraphs(const std::string& path, const ExtractorOptions& options)
{
    if (options.wordConverter.empty())
        return {};
    ProcessOptions process;
    process.argv = options.wordConverter;
    process.argv.push_back(argumentPath(path));
    process.timeoutSeconds = options.converterTimeoutSeconds;
    process.captureStandardError = false;
    const ProcessResult result = runProcess(process);
    // Its exit status is not looked at: converters often warn with a failing status and still print the text.
    if (!result.started || result.timedOut || result.cancelled || !isValidUtf8(result.standardOutput))
        return {};
    return wordParagraphs(result.standardOutput);
}

}

std::vector<Chunk> extractDocx(const std::string& path, const ExtractorOptions& options)
{
    // Word documents are told apart by their content, not their name: a .doc may be a package or
    // rich text saved under the old extension.
    const auto head = readRegularFile(path, 8);
    if (!head)
        return {};
    if (head->starts_with(kZipSignature)) {
        const auto archive = ZipArchive::open(path);
        if (!archive)
            return {};
        const auto text = docxText(*archive, options.maxMemberBytes);
        return text ? wordParagraphs(*text) : std::vector<Chunk> {};
    }
    if (head->starts_with(kRtfSignature))
        return extractRTF(path);
    return convertedParagraphs(path, options);
}

}
