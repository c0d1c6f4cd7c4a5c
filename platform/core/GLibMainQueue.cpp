#include "platform/core/GLibMainQueue.h"

#include <glib.h>

#include <cmath>

namespace ikw {

namespace {

struct PostedTask {
    Task task;
};

gboolean runPostedTask(gpointer data)
{
    auto* posted = static_cast<PostedTask*>(data);
    posted->task();
    return G_SOURCE_REMOVE;
}

void deletePostedTask(gpointer data)
{
    delete static_cast<PostedTask*>(data);
}

guint millisecondsFor(double seconds)
{
    if (!(seconds > 0))
        return 0;
    return static_cast<guint>(std::min(std::ceil(seconds * 1000.0), 4.0e9));
}

}

void postToContext(GMainContext* context, double seconds, Task task)
{
    // Ownership passes to the GSource, which frees the task through its destroy notify.
    auto posted = std::make_unique<PostedTask>(PostedTask { std::move(task) });
    GSource* source = seconds > 0 ? g_timeout_source_new(millisecondsFor(seconds)) : g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, runPostedTask, posted.release(), deletePostedTask);
    g_source_attach(source, context);
    g_source_unref(source);
}

struct GLibMainQueue::TimerSource {
    GLibMainQueue* queue;
    std::uint64_t id;
    bool repeats;
    Task task;
};

GLibMainQueue::GLibMainQueue()
    : m_context(g_main_context_ref(g_main_context_default()))
    , m_mainThread(std::this_thread::get_id())
{
}

GLibMainQueue::~GLibMainQueue()
{
    for (auto& [id, sourceId] : m_sourceIds) {
        if (GSource* source = g_main_context_find_source_by_id(m_context, sourceId))
            g_source_destroy(source);
    }
    g_main_context_unref(m_context);
}

void GLibMainQueue::post(Task task)
{
    postToContext(m_context, 0, std::move(task));
}

void GLibMainQueue::postAfter(double seconds, Task task)
{
    postToContext(m_context, seconds, std::move(task));
}

int GLibMainQueue::fireTimer(void* data)
{
    auto* timer = static_cast<TimerSource*>(data);
    const bool repeats = timer->repeats;
    if (!repeats)
        timer->queue->m_sourceIds.erase(timer->id);
    // Copy the task: it may cancel its own timer, which frees `timer`.
    Task task = timer->task;
    task();
    return repeats ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

Timer GLibMainQueue::schedule(double seconds, bool repeats, Task task)
{
    const std::uint64_t id = m_nextTimerId++;
    auto timer = std::make_unique<TimerSource>(TimerSource { this, id, repeats, std::move(task) });
    GSource* source = g_timeout_source_new(millisecondsFor(seconds));
    g_source_set_callback(source, fireTimer, timer.release(),
        [](gpointer data) { delete static_cast<TimerSource*>(data); });
    m_sourceIds[id] = g_source_attach(source, m_context);
    g_source_unref(source);
    return Timer(this, id);
}

void GLibMainQueue::cancelTimer(std::uint64_t id)
{
    auto it = m_sourceIds.find(id);
    if (it == m_sourceIds.end())
        return;
    if (GSource* source = g_main_context_find_source_by_id(m_context, it->second))
        g_source_destroy(source);
    m_sourceIds.erase(it);
}

double GLibMainQueue::now() const
{
    return static_cast<double>(g_get_monotonic_time()) / 1e6;
}

bool GLibMainQueue::isMainThread() const
{
    return std::this_thread::get_id() == m_mainThread;
}

void GLibMainQueue::run()
{
    m_quit = false;
    while (!m_quit)
        g_main_context_iteration(m_context, TRUE);
}

void GLibMainQueue::quit()
{
    post([this] { m_quit = true; });
}

}
