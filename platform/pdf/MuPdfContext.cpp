#include "platform/pdf/MuPdfContext.h"

#include <array>
#include <mutex>

namespace ikw::pdf::detail {
namespace {

// MuPDF's warnings ("repairing PDF document", ...) are expected on damaged input; failures reach
// callers as empty results instead.
void ignoreMessage(void*, const char*) { }

void quieten(fz_context* context)
{
    fz_set_warning_callback(context, ignoreMessage, nullptr);
    fz_set_error_callback(context, ignoreMessage, nullptr);
}

// The context every thread's context is cloned from: clones share its font and resource store,
// guarded by these locks.
class BaseContext {
public:
    BaseContext()
    {
        m_locks.user = this;
        m_locks.lock = [](void* user, int lock) { static_cast<BaseContext*>(user)->m_mutexes[lock].lock(); };
        m_locks.unlock = [](void* user, int lock) { static_cast<BaseContext*>(user)->m_mutexes[lock].unlock(); };
        m_context = fz_new_context(nullptr, &m_locks, FZ_STORE_DEFAULT);
        if (m_context)
            quieten(m_context);
    }
    ~BaseContext()
    {
        if (m_context)
            fz_drop_context(m_context);
    }
    BaseContext(const BaseContext&) = delete;
    BaseContext& operator=(const BaseContext&) = delete;

    fz_context* context() const { return m_context; }

private:
    std::array<std::mutex, FZ_LOCK_MAX> m_mutexes;
    fz_locks_context m_locks {};
    fz_context* m_context = nullptr;
};

BaseContext& baseContext()
{
    static BaseContext base;
    return base;
}

class ThreadContext {
public:
    ThreadContext()
    {
        if (fz_context* base = baseContext().context()) {
            m_context = fz_clone_context(base);
            if (m_context)
                quieten(m_context);
        }
    }
    ~ThreadContext()
    {
        if (m_context)
            fz_drop_context(m_context);
    }
    ThreadContext(const ThreadContext&) = delete;
    ThreadContext& operator=(const ThreadContext&) = delete;

    fz_context* context() const { return m_context; }

private:
    fz_context* m_context = nullptr;
};

}

fz_context* threadContext()
{
    // The base is made first, so it outlives the main thread's clone.
    baseContext();
    thread_local ThreadContext context;
    return context.context();
}

}
