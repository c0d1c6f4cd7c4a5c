#include "platform/pdf/MuPdfContext.h"

#include <array>
#include <malloc.h>
#include <mutex>
#include <new>

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

// MuPDF allocates and frees a few hundred kilobytes for every page it reads the text of or draws.
// With glibc's default the heap's top is handed back to the kernel after each page and faulted in
// again for the next, which costs more than reading the page; keeping up to 64 MB per arena
// avoids that.
void keepFreedMemory()
{
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

// The context every thread's context is cloned from: clones share its font and resource store,
// guarded by these locks.
class BaseContext {
public:
    BaseContext()
    {
        keepFreedMemory();
        m_locks.user = this;
        m_locks.lock = [](void* user, int lock) { static_cast<BaseContext*>(user)->m_mutexes[lock].lock(); };
        m_locks.unlock = [](void* user, int lock) { static_cast<BaseContext*>(user)->m_mutexes[lock].unlock(); };
        m_context = fz_new_context(nullptr, &m_locks, FZ_STORE_DEFAULT);
        if (m_context)
            quieten(m_context);
    }
    BaseContext(const BaseContext&) = delete;
    BaseContext& operator=(const BaseContext&) = delete;

    fz_context* context() const { return m_context; }

private:
    std::array<std::mutex, FZ_LOCK_MAX> m_mutexes;
    fz_locks_context m_locks {};
    fz_context* m_context = nullptr;
};

// Never destroyed: documents held by other statics (the page-image cache) may still be dropped
// while the process exits, and they need a live context for that.
template<typename T>
class NoDestructor {
public:
    NoDestructor() { new (m_storage) T(); }
    T& get() { return *std::launder(reinterpret_cast<T*>(m_storage)); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};

BaseContext& baseContext()
{
    static NoDestructor<BaseContext> base;
    return base.get();
}

fz_context* cloneBase()
{
    fz_context* base = baseContext().context();
    fz_context* context = base ? fz_clone_context(base) : nullptr;
    if (context)
        quieten(context);
    return context;
}

// Plain values, valid for the whole life of the thread, even while its thread_local objects are
// being destroyed.
thread_local fz_context* t_context = nullptr;
thread_local bool t_contextDropped = false;

// Drops the thread's context when the thread ends.
class ThreadContextOwner {
public:
    ~ThreadContextOwner()
    {
        if (t_context)
            fz_drop_context(t_context);
        t_context = nullptr;
        t_contextDropped = true;
    }
};

}

std::recursive_mutex& documentMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

fz_context* threadContext()
{
    if (!t_context) {
        t_context = cloneBase();
        // A document dropped after the thread's context was (at exit) gets a context that simply
        // lives on.
        if (!t_contextDropped) {
            thread_local ThreadContextOwner owner;
        }
    }
    return t_context;
}

}
