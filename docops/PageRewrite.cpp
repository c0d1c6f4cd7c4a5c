#include "docops/PageRewrite.h"

#include "docops/AtomicReplacement.h"
#include "docops/PageOpReplies.h"
#include "platform/core/Paths.h"

namespace ikw::docops {

namespace {

enum class Outcome { Written, Stale, Failed };

struct RewriteJob {
    PageOpContext context;
    std::string path;
    PageEdit edit;
    FileStamp sent;
    RewriteOptions options;
};

Outcome rewrite(const RewriteJob& job)
{
    if (!fileMatchesStamp(job.sent, job.path))
        return Outcome::Stale;
    auto document = pdf::EditableDocument::open(job.path);
    // The file may have been replaced while it was read.
    if (!fileMatchesStamp(job.sent, job.path))
        return Outcome::Stale;
    if (!document)
        return Outcome::Failed;
    const auto result = job.edit.transform(std::move(*document));
    return result && result->pageCount() > 0 && atomicWrite(*result, job.path) ? Outcome::Written : Outcome::Failed;
}

void complete(const RewriteJob& job, Outcome outcome)
{
    FileOpHost& host = *job.context.host;
    ui::WebView& web = *job.context.web;
    if (outcome == Outcome::Written) {
        if (host.isOpen())
            pageOpDone(host, job.edit.operation, job.path, web);
        // The page that asked still learns that its edit landed, even from a closed window.
        pageOpToast(job.edit.successToast, web, false);
        return;
    }
    if (!host.isOpen())
        return;
    pageOpToast(updateFailedMessage(lastPathComponent(job.path)), web, true);
    if (outcome == Outcome::Stale)
        refreshAfterWrite(host, job.path);
}

}

FileStamp requestStamp(const FileOpHost& host, const std::string& path)
{
    const auto loaded = host.loadedStamp();
    if (loaded && RewriteQueue::keyFor(loaded->path) == RewriteQueue::keyFor(path))
        return *loaded;
    return stampFile(path);
}

void startRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, FileStamp sent, RewriteOptions options)
{
    auto job = std::make_shared<RewriteJob>(RewriteJob { context, path, std::move(edit), std::move(sent), options });
    context.rewrites->submit(path, [job = std::move(job)]() mutable {
        const bool started = !job->options.requireOpenWindow || job->context.host->isOpen();
        const Outcome outcome = started ? rewrite(*job) : Outcome::Failed;
        // The job holds the web view, which lives on the main thread: it is released there.
        mainQueue().post([job = std::move(job), started, outcome] {
            if (started)
                complete(*job, outcome);
        });
    });
}

void confirmAndRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, FileStamp sent, RewriteOptions options)
{
    const FileOpQuestion question = edit.question;
    confirmFileOp(context.host, question, [context, path, edit = std::move(edit), sent = std::move(sent), options]() mutable {
        startRewrite(context, path, std::move(edit), std::move(sent), options);
    });
}

}
