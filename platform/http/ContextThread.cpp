#include "platform/http/ContextThread.h"

#include "platform/core/GLibMainQueue.h"

#include <glib.h>
#include <pthread.h>

namespace ikw::http {

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
    postToContext(m_context, 0, std::move(task));
}

void ContextThread::postAfter(double seconds, Task task)
{
    postToContext(m_context, seconds, std::move(task));
}

}
