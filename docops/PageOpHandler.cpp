#include "docops/PageOpHandler.h"

#include "docops/FilePanels.h"
#include "docops/PageExports.h"
#include "docops/PageNumbers.h"
#include "docops/PageOpReplies.h"
#include "docops/PdfInputs.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/pdf/Document.h"
#include "review/UrlActions.h"

#include <algorithm>
#include <cctype>

namespace ikw::docops {

namespace {

std::string lowercased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The request's file: its `path` (or `p`), which must be absolute, else the window's document.
std::string targetPath(const FileOpHost& host, const PageOpRequest& request)
{
    if (request.path)
        return checkedPagePath(request.path, PathNeed::Absolute).value_or("");
    const auto sources = host.sourcePaths();
    return sources.empty() ? std::string() : sources.front();
}

// The chosen or dropped PDFs, read in the background, then asked about and inserted.
void insertFiles(const PageOpContext& context, const std::string& path, const FileStamp& sent, const std::vector<std::string>& files,
    int at, const std::string& message, RewriteOptions options)
{
    std::function<std::shared_ptr<pdf::EditableDocument>()> read = [files] {
        auto document = openAsOneDocument(files);
        return document ? std::make_shared<pdf::EditableDocument>(std::move(*document)) : nullptr;
    };
    inBackground<std::shared_ptr<pdf::EditableDocument>>(context, std::move(read),
        [context, path, sent, at, message, options](std::shared_ptr<pdf::EditableDocument> inserted) {
            if (!inserted || inserted->pageCount() < 1)
                return;
            confirmAndRewrite(context, path, insertDocumentEdit(inserted, at, lastPathComponent(path), message), sent, options);
        });
}

void insertChosenFiles(const PageOpContext& context, const std::string& path, const FileStamp& sent, const PageOpRequest& request)
{
    const int at = positionItem(request.at);
    pickPDFs(*context.host, "Insert PDF", [context, path, sent, at](std::vector<std::string> chosen) {
        if (chosen.empty())
            return;
        insertFiles(context, path, sent, chosen, at, "This adds the chosen pages to the saved file. You can remove them the same way.", {});
    });
}

void reorderAll(const PageOpContext& context, const std::string& path, const FileStamp& sent, const PageOpRequest& request)
{
    // Counting the pages only reads the file's page tree.
    const auto document = pdf::Document::openFile(path);
    if (!document)
        return;
    if (auto edit = reorderFullEdit(request, lastPathComponent(path), document->pageCount()))
        confirmAndRewrite(context, path, std::move(*edit), sent);
}

// Rotations by anything but quarter turns cannot be shown: refused before anything is asked.
void rotate(const PageOpContext& context, const std::string& path, const FileStamp& sent, const PageOpRequest& request)
{
    auto edit = rotateEdit(request, lastPathComponent(path));
    if (!edit)
        return;
    if (!rotationDegrees(request)) {
        pageOpToast(updateFailedMessage(lastPathComponent(path)), *context.web, true);
        return;
    }
    confirmAndRewrite(context, path, std::move(*edit), sent);
}

}

void handlePageOp(const PageOpContext& context, const PageOpRequest& request)
{
    const std::string op = lowercased(request.op.value_or(""));
    const std::string path = targetPath(*context.host, request);
    if (path.empty() || !realFileSystem().exists(path) || realFileSystem().isDirectory(path))
        return;
    const std::string name = lastPathComponent(path);
    // What the page saw when it asked; the rewrite compares the file with it when it starts.
    const FileStamp sent = requestStamp(*context.host, path);

    auto rewriteIf = [&](std::optional<PageEdit> edit) {
        if (edit)
            confirmAndRewrite(context, path, std::move(*edit), sent);
    };
    if (op == "rotate")
        rotate(context, path, sent, request);
    else if (op == "delete")
        rewriteIf(deleteEdit(request, name));
    else if (op == "duplicate")
        rewriteIf(duplicateEdit(request, name));
    else if (op == "insertblank")
        rewriteIf(insertBlankEdit(request, name));
    else if (op == "insertfile")
        insertChosenFiles(context, path, sent, request);
    else if (op == "reorder")
        rewriteIf(reorderEdit(request, name));
    else if (op == "reorderfull")
        reorderAll(context, path, sent, request);
    else if (op == "extract")
        extractPages(context, path, pageList(request.pages, request.page));
    else if (op == "split")
        splitPages(context, path);
    else if (op == "merge")
        mergePdfs(context, path);
}

void insertDroppedPDFs(const PageOpContext& context, const std::vector<std::string>& paths, std::optional<int> at,
    const std::string& into)
{
    if (paths.empty() || into.empty())
        return;
    insertFiles(context, into, requestStamp(*context.host, into), paths, at.value_or(0),
        "This adds the dropped pages to the saved file. You can remove them the same way.", { .requireOpenWindow = true });
}

}
