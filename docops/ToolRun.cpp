#include "docops/ToolRun.h"
#include "platform/core/WriteAll.h"

#include "docops/AtomicReplacement.h"
#include "docops/BlankPages.h"
#include "docops/PageExports.h"
#include "docops/PageTransforms.h"
#include "platform/core/FileMoves.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/core/Text.h"
#include "platform/core/UniqueName.h"
#include "platform/pdf/EditableDocument.h"
#include "platform/pdf/ScreenImages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace ikw::docops {

namespace {

const char* const kCouldNotRead = " couldn\u2019t be read.";

struct OpTexts {
    const char* one;        // the count phrase for one output
    const char* many;       // ... for N outputs, after N
    const char* tail;       // after the skipped count
    const char* noneMade;   // the whole message when only skips happened
};

OpTexts textsFor(ToolOp op)
{
    switch (op) {
    case ToolOp::Compress:
        return { "1 compressed copy", " compressed copies", " already compact.", "All selected PDFs are already compact." };
    case ToolOp::Split:
        return { "1 file split into pages", " files split into pages", " skipped.", "Nothing to split (single-page PDFs)." };
    case ToolOp::Blank:
        break;
    }
    return { "1 cleaned copy", " cleaned copies", " had no blank pages.", "No blank pages found in the selection." };
}

long long fileSize(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

std::string inputBase(const std::string& path)
{
    return baseName(lastPathComponent(path));
}

// Every byte, then to the disk.
bool writeAllAndSync(int fd, std::string_view bytes)
{
    return writeAll(fd, bytes) && ::fsync(fd) == 0;
}

// Moves a finished private file to the first free `name` in `folder`, with a new file's mode.
std::optional<std::string> placeFinished(const std::string& temporary, const std::string& folder, const std::string& name)
{
    PlaceResult placed;
    if (::chmod(temporary.c_str(), defaultNewFileMode()) == 0)
        placed = moveToUniqueName(temporary, folder, name);
    if (!placed) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    return placed.path;
}

// Writes the bytes under a hidden name in `folder`, then gives them the first free `name` there.
std::optional<std::string> placeNewFile(std::string_view bytes, const std::string& folder, const std::string& name)
{
    const std::string temporary = replacementTemporaryPath(joinPath(folder, name), "tool");
    if (!realFileSystem().writePrivateFile(temporary, bytes)) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    return placeFinished(temporary, folder, name);
}

// A new folder under the first free `name` in `folder` (made with its parents as needed).
std::optional<std::string> createUniqueFolder(const std::string& folder, const std::string& name)
{
    if (!realFileSystem().createDirectories(folder))
        return std::nullopt;
    for (int number = 1; number <= kMostNumberedNames; ++number) {
        const std::string path = joinPath(folder, numberedName(name, number));
        if (::mkdir(path.c_str(), 0777) == 0)
            return path;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

std::string zeroPadded(int number, std::size_t digits)
{
    std::string text = std::to_string(number);
    return std::string(digits > text.size() ? digits - text.size() : 0, '0') + text;
}

// The document reduced to its one page: what the file carries besides its pages goes along.
std::optional<std::string> pageFile(pdf::EditableDocument& source, int index)
{
    if (source.isSigned()) {
        // Reduced in place, a signed file keeps its whole signed revision behind the page: a
        // new file of that page alone is what a page file is for.
        const auto extracted = pgExtract(source, { index });
        return extracted ? extracted->toBytes() : std::nullopt;
    }
    auto copy = source.reread();
    const pdf::PagePick pick = pdf::PagePick::page(index);
    if (!copy || !copy->rearrange({ &pick, 1 }))
        return std::nullopt;
    return copy->toBytes();
}

}

std::optional<ToolOp> toolOpNamed(std::string_view name)
{
    const std::string lower = asciiLowercase(name);
    for (const ToolOp op : { ToolOp::Compress, ToolOp::Split, ToolOp::Blank }) {
        if (toolOpName(op) == lower)
            return op;
    }
    return std::nullopt;
}

std::string toolOpName(ToolOp op)
{
    switch (op) {
    case ToolOp::Compress:
        return "compress";
    case ToolOp::Split:
        return "split";
    case ToolOp::Blank:
        break;
    }
    return "blank";
}

void ToolTally::add(const ToolOutcome& outcome)
{
    switch (outcome.kind) {
    case ToolOutcome::Kind::Made:
        ++made;
        if (!firstOutput)
            firstOutput = outcome.output;
        return;
    case ToolOutcome::Kind::Unreadable:
        ++unreadable;
        break;
    case ToolOutcome::Kind::Skipped:
        break;
    }
    ++skipped;
}

std::string toolMessage(ToolOp op, const ToolTally& tally)
{
    const OpTexts texts = textsFor(op);
    const int readableSkips = tally.skipped - tally.unreadable;
    const std::string unreadableTail = tally.unreadable >= 1 ? " " + std::to_string(tally.unreadable) + kCouldNotRead : "";
    if (tally.made >= 1) {
        const std::string phrase = tally.made == 1 ? texts.one : std::to_string(tally.made) + texts.many;
        const std::string skippedTail = readableSkips >= 1 ? " " + std::to_string(readableSkips) + texts.tail : "";
        return "Made " + phrase + "." + skippedTail + unreadableTail;
    }
    if (readableSkips >= 1)
        return texts.noneMade + unreadableTail;
    if (tally.unreadable >= 1)
        return "None of the selected PDFs could be read.";
    return "Nothing to do.";
}

std::optional<std::string> compressForScreen(pdf::Document& document)
{
    // A repaired file may have kept no page tree; writing it would give a file no reader opens.
    const int pages = document.pageCount();
    if (pages < 1)
        return std::nullopt;
    pdf::rewriteImagesForScreen(document);
    pdf::WriteOptions options;
    options.dropUnusedObjects = true;
    std::optional<std::string> bytes = document.toBytes(options);
    const auto written = bytes ? pdf::Document::fromBytes(*bytes) : std::nullopt;
    if (!written || written->pageCount() != pages)
        return std::nullopt;
    return bytes;
}

bool compressedCopyIsWorthKeeping(long long oldSize, long long newSize)
{
    return oldSize >= 1 && newSize >= 1 && newSize < oldSize * 92 / 100;
}

ToolOutcome compressOne(const std::string& path, const PdfCompressor& compressor, const std::optional<std::string>& temporaryFolder)
{
    pdf::OpenResult opened = pdf::Document::open(path);
    if (opened.status != pdf::OpenResult::Status::Opened || !opened.document)
        return ToolOutcome::unreadable();
    const long long oldSize = fileSize(path);
    const std::optional<std::string> bytes = compressor(*opened.document);
    auto temporary = temporaryFolder ? createTemporaryFile(*temporaryFolder, "ikw-tool-", ".pdf") : std::nullopt;
    if (!temporary)
        return ToolOutcome::skipped();
    const bool written = bytes && writeAllAndSync(temporary->fd.get(), *bytes);
    temporary->fd.reset();
    if (!written || !compressedCopyIsWorthKeeping(oldSize, fileSize(temporary->path))) {
        ::unlink(temporary->path.c_str());
        return ToolOutcome::skipped();
    }
    const auto placed = placeFinished(temporary->path, parentPath(path), inputBase(path) + " (compressed).pdf");
    return placed ? ToolOutcome::made(*placed) : ToolOutcome::skipped();
}

ToolOutcome splitOne(const std::string& path)
{
    auto source = pdf::EditableDocument::open(path);
    if (!source)
        return ToolOutcome::unreadable();
    const int count = source->pageCount();
    if (count < 2)
        return ToolOutcome::skipped();
    const std::string base = inputBase(path);
    const auto folder = createUniqueFolder(parentPath(path), base + " (pages)");
    if (!folder)
        return ToolOutcome::skipped();
    const std::size_t digits = std::to_string(count).size();
    int written = 0;
    for (int index = 0; index < count; ++index) {
        const auto bytes = pageFile(*source, index);
        if (bytes && placeNewFile(*bytes, *folder, base + " p" + zeroPadded(index + 1, digits) + ".pdf"))
            ++written;
    }
    if (written == 0) {
        ::rmdir(folder->c_str());
        return ToolOutcome::skipped();
    }
    return ToolOutcome::made(*folder);
}

ToolOutcome stripBlanksOne(const std::string& path)
{
    std::vector<pdf::PagePick> kept;
    int count = 0;
    {
        const auto document = pdf::Document::openFile(path);
        if (!document)
            return ToolOutcome::unreadable();
        count = document->pageCount();
        for (int index = 0; index < count; ++index) {
            if (!pageIsBlank(*document, index))
                kept.push_back(pdf::PagePick::page(index));
        }
    }
    if (kept.empty() || static_cast<int>(kept.size()) == count)
        return ToolOutcome::skipped();
    auto editable = pdf::EditableDocument::open(path);
    if (!editable)
        return ToolOutcome::unreadable();
    if (!editable->rearrange(kept))
        return ToolOutcome::skipped();
    const auto bytes = editable->toBytes();
    const auto placed = bytes ? placeNewFile(*bytes, parentPath(path), inputBase(path) + " (no blanks).pdf") : std::nullopt;
    return placed ? ToolOutcome::made(*placed) : ToolOutcome::skipped();
}

}
