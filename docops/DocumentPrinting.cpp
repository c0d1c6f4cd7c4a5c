#include "docops/DocumentPrinting.h"

#include "platform/core/Base64.h"
#include "platform/pdf/PageImage.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>

namespace ikw::docops {

namespace {

bool hasPdfExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".pdf";
}

ui::PrintDocument printDocumentOf(pdf::Document document, const std::string& jobName)
{
    auto shared = std::make_shared<const pdf::Document>(std::move(document));
    ui::PrintDocument printed;
    printed.jobName = jobName;
    for (int index = 0; index < shared->pageCount(); ++index) {
        const std::optional<pdf::Size> size = shared->pageSize(index, pdf::PageBox::Crop);
        printed.pages.push_back(size ? ui::PrintPageSize { size->width, size->height } : ui::PrintPageSize {});
    }
    printed.renderPage = [shared](int index, double scale) -> std::optional<ui::PrintBitmap> {
        std::optional<pdf::PageImage> image = pdf::renderPageImage(*shared, index, scale, pdf::PageBox::Crop);
        if (!image)
            return std::nullopt;
        return ui::PrintBitmap { image->width, image->height, std::move(image->pixels) };
    };
    return printed;
}

// The window's own PDF: its first source file, when that is a PDF that opens.
std::optional<pdf::Document> windowsOwnPdf(const ReviewWC& window)
{
    if (window.sourcePaths.empty() || !hasPdfExtension(window.sourcePaths.front()))
        return std::nullopt;
    return pdf::Document::openFile(window.sourcePaths.front());
}

std::string jobNameOf(const ReviewWC& window)
{
    if (window.sourcePaths.empty())
        return "Document";
    return std::filesystem::path(window.sourcePaths.front()).filename().string();
}

}

void printPdf(ui::Printing& printing, ui::Window* parent, pdf::Document document, const std::string& jobName, const std::string& exportFile)
{
    printing.print(parent, printDocumentOf(std::move(document), jobName), exportFile);
}

void printReaderBytes(ReviewWC& window, ui::Printing& printing)
{
    if (!window.sharedWindow())
        return;
    window.webView().evaluate("window.__ikwPrintB64 || ''", [weak = window.weak_from_this(), &printing](ui::ScriptResult result) {
        const std::shared_ptr<ReviewWC> window = weak.lock();
        if (!window)
            return;
        std::optional<pdf::Document> document;
        if (result.value && result.value->is_string() && !result.value->get_ref<const std::string&>().empty()) {
            // Strict: any character outside the alphabet fails. The bytes are opened from memory.
            if (const std::optional<std::string> bytes = decodeBase64(result.value->get_ref<const std::string&>()))
                document = pdf::Document::fromBytes(*bytes);
        }
        if (!document)
            document = windowsOwnPdf(*window);
        if (!document) {
            window->webView().evaluate(kNothingToPrintScript);
            return;
        }
        printPdf(printing, &window->window(), std::move(*document), jobNameOf(*window));
    });
}

void printDoc(ReviewWC& window)
{
    window.webView().evaluate("if(window.__ikwPrint){__ikwPrint()}");
}

void registerPrintActions(UrlActions& actions, ui::Printing& printing)
{
    actions.add("printdoc", [&printing](const UrlAction& action) { printReaderBytes(action.window, printing); });
}

}
