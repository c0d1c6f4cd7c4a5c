#include "docops/PageRewrite.h"

#include "docops/AtomicReplacement.h"
#include "docops/PageOpReplies.h"
#include "platform/core/Paths.h"

namespace ikw::docops {

namespace {

struct RewriteJob {
    PageOpContext context;
    std::string path;
    PageEdit edit;
    RewriteOptions options;
};

bool rewrite(const RewriteJob& job)
{
    auto opened = pdf::Document::open(job.path);
    if (opened.status != pdf::OpenResult::Status::Opened || !opened.document)
        return false;
    const auto result = job.edit.transform(*opened.document);
    return result && result->pageCount() > 0 && atomicWrite(*result, job.path);
}

void complete(const RewriteJob& job, bool ok)
{
    FileOpHost& host = *job.context.host;
    ui::WebView& web = *job.context.web;
    if (ok) {
        if (host.isOpen())
            pageOpDone(host, job.edit.operation, job.path, web);
        // The page that asked still learns that its edit landed, even from a closed window.
        pageOpToast(job.edit.successToast, web, false);
    } else if (host.isOpen()) {
        pageOpToast(updateFailedMessage(lastPathComponent(job.path)), web, true);
    }
}

}

void startRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, RewriteOptions options)
{
    auto job = std::make_shared<RewriteJob>(RewriteJob { context, path, std::move(edit), options });
    context.rewrites->submit(path, [job = std::move(job)]() mutable {
        const bool started = !job->options.requireOpenWindow || job->context.host->isOpen();
        const bool ok = started && rewrite(*job);
        // The job holds the web view, which lives on the main thread: it is released there.
        mainQueue().post([job = std::move(job), started, ok] {
            if (started)
                complete(*job, ok);
        });
    });
}

void confirmAndRewrite(const PageOpContext& context, const std::string& path, PageEdit edit, RewriteOptions options)
{
    const FileOpQuestion question = edit.question;
    confirmFileOp(context.host, question, [context, path, edit = std::move(edit), options]() mutable {
        startRewrite(context, path, std::move(edit), options);
    });
}

}
