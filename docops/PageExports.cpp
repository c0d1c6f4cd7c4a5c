#include "docops/PageExports.h"

#include "docops/AtomicReplacement.h"
#include "docops/FilePanels.h"
#include "docops/NewFileWriter.h"
#include "docops/PageNumbers.h"
#include "docops/PageOpReplies.h"
#include "docops/PageTransforms.h"
#include "docops/PdfInputs.h"
#include "platform/core/Paths.h"

namespace ikw::docops {

namespace {

const std::string kEmDash = " \u2014 ";

// The window's reader shows the file that was just written over: take it up again.
void refreshIfShown(FileOpHost& host, const std::string& written)
{
    if (host.isOpen())
        refreshAfterWrite(host, written);
}

// Writes `document` over or as `destination` in the background, after any rewrite of that file.
void writeInBackground(const PageOpContext& context, const std::string& destination,
    std::function<std::shared_ptr<const pdf::EditableDocument>()> build, std::function<void(std::optional<int> pageCount)> then)
{
    context.rewrites->submit(destination, [context = PageOpContext(context), destination, build = std::move(build), then = std::move(then)]() mutable {
        std::optional<int> written;
        if (auto document = build(); document && document->pageCount() > 0 && atomicWrite(*document, destination))
            written = document->pageCount();
        mainQueue().post([context = std::move(context), then = std::move(then), written] { then(written); });
    });
}

}

std::string baseName(const std::string& name)
{
    const auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void extractPages(const PageOpContext& context, const std::string& path, const std::vector<long long>& pageNumbers)
{
    if (pageNumbers.empty())
        return;
    savePanelPDF(context.host, baseName(lastPathComponent(path)) + kEmDash + "pages.pdf",
        [context, path, pageNumbers](std::optional<std::string> destination) {
            if (!destination)
                return;
            auto build = [path, pageNumbers]() -> std::shared_ptr<const pdf::EditableDocument> {
                auto source = pdf::EditableDocument::open(path);
                if (!source)
                    return nullptr;
                std::vector<int> indexes;
                for (const long long number : pageNumbers) {
                    if (number >= 1 && number <= source->pageCount())
                        indexes.push_back(static_cast<int>(number - 1));
                }
                auto extracted = pgExtract(*source, indexes);
                return extracted ? std::make_shared<const pdf::EditableDocument>(std::move(*extracted)) : nullptr;
            };
            writeInBackground(context, *destination, std::move(build), [context, destination = *destination](std::optional<int> pages) {
                if (!pages) {
                    pageOpToast("Couldn\u2019t extract pages", *context.web, true);
                    return;
                }
                refreshIfShown(*context.host, destination);
                pageOpToast("Extracted " + pageCount(*pages), *context.web, false);
                context.host->workspace().revealFile(destination);
            });
        });
}

void splitPages(const PageOpContext& context, const std::string& path)
{
    chooseDir(*context.host, "Split Into", [context, path](std::optional<std::string> folder) {
        if (!folder)
            return;
        const std::string stem = baseName(lastPathComponent(path)) + kEmDash + "p";
        // Splits into one folder run one after another, so that each sees the names the last took.
        context.rewrites->submit(*folder, [context = PageOpContext(context), path, folder = *folder, stem]() mutable {
            int written = 0;
            if (auto source = pdf::EditableDocument::open(path)) {
                int number = 0;
                for (const auto& part : pgSplit(*source)) {
                    ++number;
                    const auto bytes = part.pageCount() > 0 ? part.toBytes() : std::nullopt;
                    if (bytes && writeNewPdf(*bytes, folder, stem + std::to_string(number)))
                        ++written;
                }
            }
            mainQueue().post([context = std::move(context), folder, written] {
                if (written == 0) {
                    pageOpToast("Couldn\u2019t split pages", *context.web, true);
                    return;
                }
                pageOpToast("Split into " + std::to_string(written) + (written == 1 ? " file" : " files"), *context.web, false);
                context.host->workspace().revealFile(folder);
            });
        });
    });
}

void mergePdfs(const PageOpContext& context, const std::string& path)
{
    pickPDFs(*context.host, "Add PDFs to Merge", [context, path](std::vector<std::string> chosen) {
        if (chosen.empty())
            return;
        struct Merged {
            std::shared_ptr<const pdf::EditableDocument> document;
            std::size_t documentCount = 0;
        };
        std::function<Merged()> merge = [path, chosen]() -> Merged {
            auto source = pdf::EditableDocument::open(path);
            if (!source)
                return {};
            std::vector<pdf::EditableDocument> documents = openPdfs(chosen);
            documents.insert(documents.begin(), std::move(*source));
            const std::size_t count = documents.size();
            auto merged = joinPdfs(std::move(documents));
            if (!merged)
                return {};
            return { std::make_shared<const pdf::EditableDocument>(std::move(*merged)), count };
        };
        inBackground<Merged>(context, std::move(merge), [context, path](Merged merged) {
            if (!merged.document) {
                pageOpToast("Couldn\u2019t merge", *context.web, true);
                return;
            }
            savePanelPDF(context.host, baseName(lastPathComponent(path)) + kEmDash + "merged.pdf",
                [context, merged](std::optional<std::string> destination) {
                    if (!destination)
                        return;
                    auto build = [document = merged.document] { return document; };
                    writeInBackground(context, *destination, std::move(build),
                        [context, destination = *destination, count = merged.documentCount](std::optional<int> pages) {
                            if (!pages) {
                                pageOpToast("Couldn\u2019t merge", *context.web, true);
                                return;
                            }
                            refreshIfShown(*context.host, destination);
                            pageOpToast("Merged " + std::to_string(count) + " documents \u2192 " + std::to_string(*pages) + " pages",
                                *context.web, false);
                            context.host->workspace().revealFile(destination);
                        });
                });
        });
    });
}

}
