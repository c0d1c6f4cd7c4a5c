#include "platform/http/ContextThread.h"

#include <glib.h>
#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace ikw::http {

namespace {

gboolean runTask(gpointer data)
{
    (*static_cast<Task*>(data))();
    return G_SOURCE_REMOVE;
}

void deleteTask(gpointer data)
{
    std::unique_ptr<Task> owned(static_cast<Task*>(data));
}

void attach(GMainContext* context, double seconds, Task task)
{
    // The source owns the task and frees it through its destroy notify, run or not.
    auto owned = std::make_unique<Task>(std::move(task));
    GSource* source = seconds > 0 ? g_timeout_source_new(static_cast<guint>(std::min(std::ceil(seconds * 1000.0), 4.0e9)))
                                  : g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, runTask, owned.release(), deleteTask);
    g_source_attach(source, context);
    g_source_unref(source);
}

}

ContextThread::ContextThread(const std::string& name)
    : m_context(g_main_context_new())
    , m_loop(g_main_loop_new(m_context, FALSE))
{
    // The thread holds references of its own, so it may outlive this object.
    m_thread = std::thread([context = g_main_context_ref(m_context), loop = g_main_loop_ref(m_loop), name = name.substr(0, 15)] {
        pthread_setname_np(pthread_self(), name.c_str());
        g_main_context_push_thread_default(context);
        g_main_loop_run(loop);
        g_main_context_pop_thread_default(context);
        g_main_loop_unref(loop);
        g_main_context_unref(context);
    });
}

ContextThread::~ContextThread()
{
    // Quitting from inside the loop cannot race with the loop's start.
    post([loop = m_loop] { g_main_loop_quit(loop); });
    if (std::this_thread::get_id() == m_thread.get_id())
        m_thread.detach();
    else
        m_thread.join();
    g_main_loop_unref(m_loop);
    g_main_context_unref(m_context);
}

void ContextThread::post(Task task)
{
    attach(m_context, 0, std::move(task));
}

void ContextThread::postAfter(double seconds, Task task)
{
    attach(m_context, seconds, std::move(task));
}

}
