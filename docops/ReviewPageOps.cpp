#include "docops/ReviewPageOps.h"
#include "docops/DocumentPrinting.h"
#include "docops/PageImages.h"

#include "docops/BatchTools.h"
#include "docops/PageOpHandler.h"
#include "docops/PageOpRequest.h"
#include "docops/ReadAloud.h"
#include "docops/ShrinkPdf.h"
#include "app/MenuCommands.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"
#include "review/ReviewServices.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

namespace ikw::docops {

namespace {

class ReviewFileOpHost final : public FileOpHost {
public:
    ReviewFileOpHost(ReviewWC& window, PageOpServices services)
        : m_window(window.weak_from_this())
        , m_services(std::move(services))
    {
    }

    // Asked from background work too: only the weak reference is read.
    bool isOpen() const override
    {
        const auto window = m_window.lock();
        return window && !window->isClosed();
    }

    std::vector<std::string> sourcePaths() const override
    {
        const auto window = m_window.lock();
        return window ? window->sourcePaths : std::vector<std::string> {};
    }

    bool isReader() const override
    {
        const auto window = m_window.lock();
        return window && window->isReader;
    }

    ui::Window* sheetParent() const override
    {
        const auto window = m_window.lock();
        return window && !window->isClosed() ? &window->window() : nullptr;
    }

    ui::Dialogs& dialogs() override { return m_services.toolkit->dialogs(); }
    ui::Workspace& workspace() override { return m_services.toolkit->workspace(); }

    void stampLoadedFile(const std::string& path) override
    {
        if (const auto window = m_window.lock())
            window->stampLoadedFile(path);
    }

    std::optional<FileStamp> loadedStamp() const override
    {
        const auto window = m_window.lock();
        return window ? window->reader.loadedStamp : std::nullopt;
    }

    // A fresh reader page for the file (its first page), else the reader reloaded in place.
    void reloadReader(const std::string& path) override
    {
        const auto window = m_window.lock();
        if (!window || window->isClosed())
            return;
        if (const auto url = m_services.readerURL ? m_services.readerURL(path) : std::nullopt) {
            window->web->loadUrl(*url);
            if (m_services.readerShowsDocument)
                m_services.readerShowsDocument(*window, path);
        } else {
            window->reloadRecache(false);
        }
    }

    void reloadSettingsPanelIfOpen() override
    {
        if (m_services.reloadSettingsPanelIfOpen)
            m_services.reloadSettingsPanelIfOpen();
    }

private:
    std::weak_ptr<ReviewWC> m_window;
    PageOpServices m_services;
};

PageOpContext contextFor(ReviewWC& window, const PageOpServices& services)
{
    return PageOpContext { makeReviewFileOpHost(window, services), window.web, services.rewrites };
}

}

std::shared_ptr<FileOpHost> makeReviewFileOpHost(ReviewWC& window, PageOpServices services)
{
    return std::make_shared<ReviewFileOpHost>(window, std::move(services));
}

void registerActions(UrlActions& actions, const PageOpServices& services)
{
    actions.add("pageop", [services](const UrlAction& action) {
        handlePageOp(contextFor(action.window, services), PageOpRequest::fromUrl(action.url));
    });
    actions.add("toolop", [services](const UrlAction& action) { handleToolOp(contextFor(action.window, services), action.url); });
    actions.add("compressfile", [services](const UrlAction& action) {
        if (const auto path = action.path())
            compressFile(contextFor(action.window, services), *path);
    });
    actions.add("compress", [services](const UrlAction& action) { compressPDF(contextFor(action.window, services)); });
    if (services.ocr.isComplete()) {
        actions.add("readerocr", [ocr = services.ocr](const UrlAction& action) { readerOCR(action, ocr); });
        actions.add("ocr", [ocr = services.ocr](const UrlAction& action) { crossFolderOCR(action, ocr); });
    }
    registerPageImageActions(actions);
    if (services.toolkit)
        registerPrintActions(actions, services.toolkit->printing());
    if (services.speech)
        registerReadAloudActions(actions, *services.speech);
}

void registerShrinkMenuCommand(MenuCommands& commands, const PageOpServices& services, KeyReaderDocument keyReaderDocument)
{
    commands.add("shrinkCurrentDoc:", [services, keyReaderDocument = std::move(keyReaderDocument)](const MenuUse&) {
        const auto [window, path] = keyReaderDocument();
        if (window && window->isReader && path && asciiLowercase(pathExtension(*path)) == "pdf")
            compressPDF(contextFor(*window, services));
    });
}

void registerFeatures(ReviewFeatures& features, const PageOpServices& services)
{
    features.insertDroppedPDFs = [services](ReviewWC& window, const std::vector<std::string>& pdfs, std::optional<int> at, const std::string& into) {
        insertDroppedPDFs(contextFor(window, services), pdfs, at, into);
    };
    registerReadAloudFeatures(features);
}

}
