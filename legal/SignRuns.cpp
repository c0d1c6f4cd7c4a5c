#include "legal/SignRuns.h"

#include "crossdoc/AnnotationSidecars.h"
#include "library/DocumentKinds.h"
#include "library/LibraryLayer.h"
#include "library/ReaderURL.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"
#include "review/ReviewWC.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>

namespace ikw::legal {
namespace {

constexpr std::array<std::string_view, 12> kSignRunExtensions {
    "pdf", "ppt", "pptx", "key", "doc", "docx", "rtf", "odp", "odt", "pages", "txt", "md",
};

bool isOnDisk(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}

bool qualifiesForSignRun(const std::string& path)
{
    const std::string extension = library::lowerExtension(path);
    return !library::isDirectoryPath(path) && std::ranges::find(kSignRunExtensions, extension) != kSignRunExtensions.end();
}

SignRuns::SignRuns(SignRunServices services)
    : m_services(std::move(services))
{
}

void SignRuns::openSignRun(const std::vector<std::string>& paths) const
{
    std::vector<std::string> documents;
    std::ranges::copy_if(paths, std::back_inserter(documents), qualifiesForSignRun);
    const auto layer = m_services.library ? m_services.library() : nullptr;
    if (documents.empty() || !layer)
        return;
    if (documents.size() == 1) {
        layer->openers().openReader(documents.front(), {});
        return;
    }
    layer->openers().recordRecent(documents);
    const auto window = layer->openers().windowForDocument();
    window->signRun.signRunPaths = documents;
    window->signRun.signRunIndex = 0;
    loadSignRunDoc(*window);
}

void SignRuns::stepSignRun(ReviewWC& window, int step) const
{
    auto& run = window.signRun;
    const int count = static_cast<int>(run.signRunPaths.size());
    const int from = run.signRunIndex;
    if (count == 0 || from + step < 0 || from + step >= count)
        return;
    run.signRunIndex = from + step;
    if (!loadSignRunDoc(window, step))
        run.signRunIndex = from;
}

bool SignRuns::loadSignRunDoc(ReviewWC& window, int direction) const
{
    auto& run = window.signRun;
    const int count = static_cast<int>(run.signRunPaths.size());
    for (int index = run.signRunIndex; index >= 0 && index < count; index += direction) {
        const std::string& document = run.signRunPaths[static_cast<std::size_t>(index)];
        if (isOnDisk(document)) {
            run.signRunIndex = index;
            show(window, document);
            return true;
        }
        logLine("[ikw] sign run: " + lastPathComponent(document) + " is gone, skipping");
        if (direction == 0)
            break;
    }
    return false;
}

void SignRuns::show(ReviewWC& window, const std::string& document) const
{
    const auto& run = window.signRun;
    window.hasContent = true;
    window.isReader = true;
    window.isGrid = false;
    window.timeline.isTimeline = false;
    window.isOrganize = false;
    window.isRedact = false;
    window.sourcePaths = { document };
    window.stampLoadedFile(document);
    const bool isPdf = library::lowerExtension(document) == "pdf";
    window.isPdfEdit = isPdf;
    window.editProbe.editProbeEditable = isPdf;
    window.editProbe.editProbeWhy.clear();
    if (isPdf && m_services.snapshotVersionFile)
        m_services.snapshotVersionFile(document);

    const std::string name = lastPathComponent(document);
    const int total = static_cast<int>(run.signRunPaths.size());
    const std::string title = name + " \u00B7 signing " + std::to_string(run.signRunIndex + 1) + " of " + std::to_string(total);
    window.representFile(document);
    window.window().setTabTitle(*window.web, title);
    window.window().setTitle(title);
    window.window().present();

    const std::string shown = crossdoc::annotSidecarExists(document) ? crossdoc::annotSidecarPath(document) : document;
    const auto url = library::readerURL({
        .pdf = shown,
        .orig = document,
        .verb = std::string("fill"),
        .run = library::ReaderRun { run.signRunIndex, total, name },
    });
    if (url)
        window.web->loadUrl(*url);
}

}
