#include "docops/BatchTools.h"

#include "app/Globals.h"
#include "docops/PageExports.h"
#include "platform/core/FileMoves.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/core/Text.h"
#include "platform/core/ZipWriter.h"
#include "platform/ui/PageScript.h"
#include "review/PagePath.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace ikw::docops {

namespace {

// A batch as it runs in the background: the window through its host, the page weakly.
struct ToolBatch {
    std::shared_ptr<FileOpHost> host;
    std::weak_ptr<ui::WebView> web;
    ToolOp op = ToolOp::Compress;
    std::vector<std::string> paths;
    BatchToolOptions options;
};

bool isExistingPdf(const std::string& path)
{
    struct stat info {};
    return asciiLowercase(pathExtension(path)) == "pdf" && checkedPagePath(path, PathNeed::Existing) && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> selectedPdfs(std::string_view url)
{
    std::vector<std::string> candidates = qpaths(url);
    if (candidates.empty()) {
        if (const auto one = urlQuery(url, "path"))
            candidates.push_back(*one);
    }
    std::vector<std::string> pdfs;
    std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(pdfs), isExistingPdf);
    return pdfs;
}

Json resultObject(const std::string& op, int made, int skipped, const std::string& message)
{
    return Json { { "op", op }, { "made", made }, { "skipped", skipped }, { "msg", message } };
}

// Runs `step` on the main queue while the window and its page both live.
void onMainWhileShown(const std::shared_ptr<FileOpHost>& host, const std::weak_ptr<ui::WebView>& web,
    std::function<void(FileOpHost&, ui::WebView&)> step)
{
    mainQueue().post([host, web, step = std::move(step)] {
        const auto view = web.lock();
        if (view && host->isOpen())
            step(*host, *view);
    });
}

std::optional<std::string> productTemporaryFolder()
{
    return privateTemporaryFolder(globals().paths, kProductFolderName);
}

ToolOutcome runOne(const ToolBatch& batch, const std::string& path)
{
    switch (batch.op) {
    case ToolOp::Compress:
        return compressOne(path, batch.options.compressor,
            batch.options.temporaryFolder ? batch.options.temporaryFolder() : productTemporaryFolder());
    case ToolOp::Split:
        return splitOne(path);
    case ToolOp::Blank:
        break;
    }
    return stripBlanksOne(path);
}

void runBatch(const ToolBatch& batch)
{
    if (!batch.host->isOpen())
        return;
    const std::string op = toolOpName(batch.op);
    const int total = static_cast<int>(batch.paths.size());
    ToolTally tally;
    for (int done = 0; done < total; ++done) {
        const std::string& path = batch.paths[static_cast<std::size_t>(done)];
        const Json progress { { "op", op }, { "done", done }, { "total", total }, { "name", lastPathComponent(path) } };
        onMainWhileShown(batch.host, batch.web, [script = ui::guardedCall("ikwToolProgress", progress.dump())](FileOpHost&, ui::WebView& view) {
            view.evaluate(script);
        });
        tally.add(runOne(batch, path));
    }
    const Json result = resultObject(op, tally.made, tally.skipped, toolMessage(batch.op, tally));
    onMainWhileShown(batch.host, batch.web, [result, first = tally.firstOutput](FileOpHost& host, ui::WebView& view) {
        if (first)
            host.workspace().revealFile(*first);
        ReviewWC::toolToast(view, result);
    });
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Zips the item beside itself; the archive's path, or none.
std::optional<std::string> zipBeside(const std::string& item)
{
    const std::string folder = parentPath(item);
    const std::string temporary = joinPath(folder, ".ikw-zip-" + makeUuid() + ".zip");
    if (!writeZipOfItem(item, temporary))
        return std::nullopt;
    const PlaceResult placed = moveToUniqueName(temporary, folder, baseName(lastPathComponent(item)) + ".zip");
    if (!placed) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    return placed.path;
}

}

void handleToolOp(const PageOpContext& context, std::string_view url, const BatchToolOptions& options)
{
    const std::string opText = urlQuery(url, "op").value_or("");
    const std::optional<ToolOp> op = toolOpNamed(opText);
    std::vector<std::string> pdfs = selectedPdfs(url);
    if (!op || pdfs.empty()) {
        ReviewWC::toolToast(*context.web, resultObject(asciiLowercase(opText), 0, 0, "Select PDF files first."));
        return;
    }
    auto batch = std::make_shared<ToolBatch>(ToolBatch { context.host, context.web, *op, std::move(pdfs), options });
    context.rewrites->post([batch]() mutable {
        runBatch(*batch);
        // The host is let go of on the main queue, where it was made.
        mainQueue().post([batch = std::move(batch)] { });
    });
}

void compressFile(const PageOpContext& context, const std::string& path)
{
    const auto item = checkedPagePath(withoutTrailingSlashes(path), PathNeed::Existing);
    const std::weak_ptr<ui::WebView> web = context.web;
    const std::shared_ptr<FileOpHost> host = context.host;
    context.rewrites->post([item, web, host] {
        const std::optional<std::string> archive = item ? zipBeside(*item) : std::nullopt;
        mainQueue().post([archive, web, host] {
            const auto view = web.lock();
            if (!view)
                return;
            if (!archive) {
                ReviewWC::readerToast(view, "Couldn\u2019t compress this file");
                return;
            }
            host->workspace().revealFile(*archive);
            ReviewWC::readerToast(view, "Compressed to \u201c" + lastPathComponent(*archive) + "\u201d");
        });
    });
}

}
