// Keeping a review window in step with the disk: the reader's stamp and poll, and the folder
// watcher of reviews.

#include "review/ReviewWC.h"
#include "review/ReviewScripts.h"

#include "app/Settings.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"

#include <algorithm>
#include <iterator>

namespace ikw {

namespace {

constexpr double kReaderPollSeconds = 2.5;
constexpr double kStableRecheckSeconds = 0.5;

constexpr const char* kChangeNoticeScript
    = "(function(){var p=document.getElementById('__upd');if(!p){p=document.createElement('div');p.id='__upd';"
      "p.style.cssText='position:fixed;left:50%;top:12px;transform:translateX(-50%);z-index:99999;"
      "background:rgba(40,38,34,.92);color:#F3EAD6;font:12px -apple-system,sans-serif;padding:7px 14px;"
      "border-radius:999px;box-shadow:0 2px 14px rgba(0,0,0,.28)';document.body.appendChild(p);}"
      "p.textContent='Document changed on disk \\u2014 refreshed';setTimeout(function(){var "
      "e=document.getElementById('__upd');if(e)e.remove();},2500);})();";

long long sizeOr(const std::string& path, long long fallback)
{
    const auto facts = readFileFacts(path);
    return facts && facts->size ? *facts->size : fallback;
}

}

void ReviewWC::stampLoadedFile(const std::string& path)
{
    reader.loadedStamp = stampFile(path);
}

bool ReviewWC::diskChangedSinceLoad(const std::string& path) const
{
    return diskChangedSince(reader.loadedStamp, path);
}

void ReviewWC::okToOverwriteInPlace(const std::string& path, std::function<void(bool)> answer)
{
    if (!diskChangedSinceLoad(path)) {
        answer(true);
        return;
    }
    const auto name = lastPathComponent(path);
    ui::AlertContent spec;
    spec.message = "Saving would replace a newer \u201C" + name + "\u201D";
    spec.informativeText = "This file changed on disk after this window opened it, so what you see here is the older "
                           "version. Close and reopen the document to work from the current one.";
    spec.buttons = { "Cancel", "Overwrite \u201C" + name + "\u201D" };
    spec.style = ui::AlertContent::Style::Warning;
    std::weak_ptr<ReviewWC> weak = weak_from_this();
    m_services.toolkit->dialogs().alert(m_window.get(), spec, [weak, path, answer = std::move(answer)](ui::AlertAnswer reply) {
        const bool overwrite = reply.button == 1;
        if (auto self = weak.lock(); self && overwrite)
            self->stampLoadedFile(path);
        answer(overwrite);
    });
}

void ReviewWC::startReaderPoll()
{
    reader.pollTimer.cancel();
    if (!isReader || sourcePaths.empty() || !cfgAutoRefresh(loadConfig()))
        return;
    std::weak_ptr<ReviewWC> weak = weak_from_this();
    reader.pollTimer = mainQueue().schedule(kReaderPollSeconds, true, [weak] {
        if (auto self = weak.lock())
            self->pollTick();
    });
}

void ReviewWC::pollTick()
{
    if (sourcePaths.empty())
        return;
    const auto file = sourcePaths.front();
    if (!diskChangedSinceLoad(file))
        return;
    // A file still being written moves between the two reads; a later tick tries again.
    const long long firstSize = sizeOr(file, -1);
    std::weak_ptr<ReviewWC> weak = weak_from_this();
    mainQueue().postAfter(kStableRecheckSeconds, [weak, file, firstSize] {
        auto self = weak.lock();
        if (!self || self->isClosed())
            return;
        const long long secondSize = sizeOr(file, -2);
        if (firstSize != secondSize || !self->diskChangedSinceLoad(file))
            return;
        self->reader.pollTimer.cancel();
        self->refreshReaderPreservingView();
    });
}

void ReviewWC::refreshReaderPreservingView()
{
    if (!isReader || sourcePaths.empty())
        return;
    const auto file = sourcePaths.front();
    if (m_services.features.snapshotVersionFile)
        m_services.features.snapshotVersionFile(file);
    std::weak_ptr<ReviewWC> weak = weak_from_this();
    web->evaluate(kCaptureViewScript, [weak, file](ui::ScriptResult result) {
        auto self = weak.lock();
        if (!self || self->isClosed())
            return;
        if (result.value && result.value->is_string() && result.value->get<std::string>() != "null")
            self->reader.pendingViewRestore = result.value->get<std::string>();
        self->autoRefreshNote();
        self->stampLoadedFile(file);
        if (self->m_services.features.reloadReaderInPlace)
            self->m_services.features.reloadReaderInPlace(*self);
        else
            self->web->reload();
    });
}

void ReviewWC::autoRefresh()
{
    if (!cfgAutoRefresh(loadConfig()))
        return;
    if (isReader) {
        refreshReaderPreservingView();
        return;
    }
    autoRefreshNote();
    reloadRecache(false);
}

void ReviewWC::autoRefreshNote()
{
    evaluate(kChangeNoticeScript);
}

void ReviewWC::startWatching()
{
    watch.watcher.reset();
    // A reader follows its own file through the poll; only the folders of a review are watched,
    // never the folder a document happens to sit in (the home folder, say).
    if (!cfgAutoRefresh(loadConfig()) || isReader)
        return;
    std::vector<std::string> folders;
    std::copy_if(sourcePaths.begin(), sourcePaths.end(), std::back_inserter(folders),
        [](const std::string& path) { return realFileSystem().isDirectory(path); });
    if (folders.empty())
        return;
    std::weak_ptr<ReviewWC> weak = weak_from_this();
    watch.watcher = FolderWatcher::create(folders, [weak] {
        if (auto self = weak.lock(); self && !self->isClosed())
            self->autoRefresh();
    });
}

}
