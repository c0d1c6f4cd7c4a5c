// The updater's alert and its install question, shown on the main queue.
#include "services/KDUpdate.h"

#include "platform/core/Log.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Dialogs.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace ikw::services::KDUpdate {

namespace {

// Shared by the waiting thread and the question on the main queue.
struct InstallQuestion {
    std::mutex mutex;
    std::condition_variable answered;
    std::optional<bool> install;
    bool waitEnded = false;
    ui::AlertHandle shown; // main thread only
};

ui::AlertContent installQuestion(const std::string& version, std::int64_t build)
{
    ui::AlertContent content;
    content.message = "A new version is available";
    content.informativeText = "v" + version + " (" + std::to_string(build) + ") is ready. Install it now? The app will relaunch.";
    content.buttons = { "Install and Relaunch", "Later" };
    content.keepAbove = true;
    return content;
}

void answer(InstallQuestion& question, bool install)
{
    std::lock_guard lock(question.mutex);
    if (!question.install)
        question.install = install;
    question.answered.notify_all();
}

// On the main queue: shows the question unless the wait has already ended.
void ask(const std::shared_ptr<State>& updater, const std::shared_ptr<InstallQuestion>& question, const ui::AlertContent& content)
{
    {
        std::lock_guard lock(question->mutex);
        if (question->waitEnded)
            return;
    }
    if (!updater->dialogs) {
        logLine("[KDUpdate] no dialogs to ask with; the update waits");
        answer(*question, false);
        return;
    }
    // The answer is kept only while the caller still waits for it.
    question->shown = updater->dialogs->alert(nullptr, content, [weak = std::weak_ptr(question)](ui::AlertAnswer given) {
        if (const auto question = weak.lock())
            answer(*question, given.button == 0);
    });
}

}

void alert(const std::string& title, const std::string& message)
{
    mainQueue().post([updater = state(), title, message] {
        if (!updater->dialogs) {
            logLine("[KDUpdate] " + title + ": " + message);
            return;
        }
        ui::AlertContent content;
        content.message = title;
        content.informativeText = message;
        content.keepAbove = true;
        updater->dialogs->alert(nullptr, content, {});
    });
}

bool confirmInstall(const std::string& version, std::int64_t build)
{
    if (mainQueue().isMainThread()) {
        // The question runs on the main loop: waiting for it there would wait forever.
        logLine("[KDUpdate] confirmInstall called on the main thread");
        std::abort();
    }
    const auto updater = state();
    const auto question = std::make_shared<InstallQuestion>();
    // At quit the answer is "Later" at once: the program waits for this queue to end.
    const auto stopWake = updater->stopping.onStop([question] { answer(*question, false); });
    if (updater->stopping.stopped())
        return false;
    mainQueue().post([updater, question, content = installQuestion(version, build)] { ask(updater, question, content); });

    std::unique_lock lock(question->mutex);
    const auto wait = std::chrono::duration<double>(updater->confirmWaitSeconds);
    if (question->answered.wait_for(lock, wait, [&] { return question->install.has_value(); }))
        return *question->install;
    question->waitEnded = true;
    lock.unlock();
    // Nobody answered in time: the question goes away rather than linger with a button that
    // would do nothing.
    mainQueue().post([question] { std::exchange(question->shown, {}).dismiss(); });
    return false;
}

}
