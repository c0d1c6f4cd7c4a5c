#include "docops/ShrinkPdf.h"

#include "app/Globals.h"
#include "docops/FilePanels.h"
#include "docops/PageExports.h"
#include "platform/core/FileSystem.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Json.h"
#include "platform/core/LocaleFormat.h"
#include "platform/core/Paths.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/core/Text.h"

#include <sys/stat.h>

namespace ikw::docops {

namespace {

const char* const kShrinking = "Shrinking \u2014 recompressing images\u2026";
const char* const kUnreadable = "Could not read this PDF.";
const char* const kNoCopy = "Could not build a smaller copy.";
const char* const kAlreadyCompact = "Already compact \u2014 shrinking saves under 10%, so nothing was written.";
const char* const kCancelled = "Save cancelled \u2014 nothing was written.";
const char* const kNotSaved = "Could not save the file.";
const char* const kIsTheOriginal = "Could not save the file \u2014 that name is the original. Choose another name.";

long long statSize(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isSameFile(const std::string& first, const std::string& second)
{
    struct stat a {}, b {};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The temporary copy, removed with the shrink that made it, however it ends.
class TemporaryCopy {
public:
    explicit TemporaryCopy(FileSystem& files) : m_files(files) {}
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    ~TemporaryCopy()
    {
        if (!path.empty())
            m_files.removeFile(path);
    }

    std::string path;

private:
    FileSystem& m_files;
};

// One shrink, carried from the action through the rewrite and the panel to the save.
struct Shrink {
    Shrink(const PageOpContext& context, std::string source, ShrinkOptions options)
        : host(context.host)
        , web(context.web)
        , rewrites(context.rewrites)
        , source(std::move(source))
        , options(std::move(options))
        , files(this->options.files ? *this->options.files : realFileSystem())
        , copy(files)
    {
    }

    std::shared_ptr<FileOpHost> host; // holds the window weakly
    std::weak_ptr<ui::WebView> web;
    RewriteQueue* rewrites;
    std::string source;
    ShrinkOptions options;
    FileSystem& files;
    TemporaryCopy copy;

    bool readable = false;
    bool written = false;
    long long oldSize = 0;
    long long newSize = 0;

    long long sizeOf(const std::string& path) const { return options.sizeOf ? options.sizeOf(path) : statSize(path); }
};

// Main thread: the window toast, while the window and its page both live.
void toast(const Shrink& shrink, const std::string& message)
{
    const auto view = shrink.web.lock();
    if (view && shrink.host->isOpen())
        view->evaluate("if(window.__ikwToast){__ikwToast(" + jsQuote(message) + ")}");
}

// Runs `work` in the background, then `then` on the main queue, where the shrink is let go of
// (its host was made there).
void inBackground(std::shared_ptr<Shrink> shrink, std::function<void(Shrink&)> work, std::function<void(const std::shared_ptr<Shrink>&)> then)
{
    RewriteQueue* queue = shrink->rewrites;
    queue->post([shrink = std::move(shrink), work = std::move(work), then = std::move(then)]() mutable {
        work(*shrink);
        mainQueue().post([shrink = std::move(shrink), then = std::move(then)] { then(shrink); });
    });
}

// Background: the document with its images recompressed, written to the private temporary
// folder. A FIFO or a folder named ".pdf" is not opened: reading it could wait forever.
void rewriteIntoTemporaryCopy(Shrink& shrink)
{
    shrink.oldSize = shrink.sizeOf(shrink.source);
    if (!isRegularFile(shrink.source))
        return;
    pdf::OpenResult opened = pdf::Document::open(shrink.source);
    // A damaged file may open through repair with nothing left in it.
    if (opened.status != pdf::OpenResult::Status::Opened || !opened.document || opened.document->pageCount() < 1)
        return;
    shrink.readable = true;
    const std::optional<std::string> bytes = shrink.options.compressor(*opened.document);
    const std::optional<std::string> folder
        = shrink.options.temporaryFolder ? shrink.options.temporaryFolder() : privateTemporaryFolder(globals().paths, kProductFolderName);
    if (!bytes || !folder)
        return;
    const std::string path = joinPath(*folder, "ikw-shrink-" + makeUuid() + ".pdf");
    if (!shrink.files.writePrivateFile(path, *bytes)) {
        // A partly written file is ours as well: the name is new.
        if (shrink.files.exists(path))
            shrink.copy.path = path;
        return;
    }
    shrink.copy.path = path;
    shrink.written = true;
    shrink.newSize = shrink.sizeOf(path);
}

// Background: the copy goes into the destination's folder under a hidden name first and then
// replaces the destination in one rename, so that a failure anywhere keeps the old file.
bool saveCopyTo(Shrink& shrink, const std::string& destination)
{
    const std::optional<std::string> bytes = shrink.files.readFile(shrink.copy.path);
    if (!bytes)
        return false;
    const std::string sibling = temporarySiblingPath(resolveSymlinks(destination));
    if (!shrink.files.writePrivateFile(sibling, *bytes) || !shrink.files.commitReplacement(sibling, destination)) {
        if (shrink.files.exists(sibling))
            shrink.files.removeFile(sibling);
        return false;
    }
    return true;
}

void saveChosen(const std::shared_ptr<Shrink>& shrink, const std::optional<std::string>& destination)
{
    if (!destination) {
        toast(*shrink, kCancelled);
        return;
    }
    // The shown file is never written, not even when the user names it.
    if (isSameFile(*destination, shrink->source)) {
        toast(*shrink, kIsTheOriginal);
        return;
    }
    auto saved = std::make_shared<bool>(false);
    inBackground(
        shrink, [destination = *destination, saved](Shrink& state) { *saved = saveCopyTo(state, destination); },
        [destination = *destination, saved](const std::shared_ptr<Shrink>& state) {
            if (!*saved) {
                toast(*state, kNotSaved);
                return;
            }
            state->host->workspace().revealFile(destination);
            toast(*state, shrinkSavedMessage(state->oldSize, state->newSize));
        });
}

void offerCopy(const std::shared_ptr<Shrink>& shrink)
{
    if (!shrink->readable) {
        toast(*shrink, kUnreadable);
        return;
    }
    if (!shrink->written || shrink->newSize < 1 || shrink->oldSize < 1) {
        toast(*shrink, kNoCopy);
        return;
    }
    if (!shrunkCopyIsWorthOffering(shrink->oldSize, shrink->newSize)) {
        toast(*shrink, kAlreadyCompact);
        return;
    }
    if (!shrink->host->isOpen())
        return;
    const std::string suggested = baseName(lastPathComponent(shrink->source)) + " (compressed).pdf";
    savePanelPDF(shrink->host, suggested, [shrink](std::optional<std::string> destination) { saveChosen(shrink, destination); });
}

}

bool shrunkCopyIsWorthOffering(long long oldSize, long long newSize)
{
    return oldSize >= 1 && newSize >= 1 && newSize < oldSize * 9 / 10;
}

int shrinkSavingPercent(long long oldSize, long long newSize)
{
    return oldSize < 1 ? 0 : static_cast<int>(100 - newSize * 100 / oldSize);
}

std::string shrinkSavedMessage(long long oldSize, long long newSize)
{
    return "Saved. " + formatFileSize(oldSize) + " \u2192 " + formatFileSize(newSize) + " \u2014 " + std::to_string(shrinkSavingPercent(oldSize, newSize))
        + "% smaller. Text stays sharp; your original is untouched.";
}

void compressPDF(const PageOpContext& context, const ShrinkOptions& options)
{
    const std::vector<std::string> sources = context.host->sourcePaths();
    if (sources.empty() || asciiLowercase(pathExtension(sources.front())) != "pdf")
        return;
    auto shrink = std::make_shared<Shrink>(context, sources.front(), options);
    toast(*shrink, kShrinking);
    inBackground(std::move(shrink), rewriteIntoTemporaryCopy, offerCopy);
}

}
