#pragma once

#include <glib-object.h>

#include <utility>

namespace ikw {

// Owns one reference of a GObject.
template<typename T>
class GObjectRef {
public:
    GObjectRef() = default;
    // Takes over a reference the caller owns (a "transfer full" result).
    static GObjectRef adopt(T* object) { return GObjectRef(object); }
    // Adds a reference of its own.
    static GObjectRef retain(T* object) { return GObjectRef(object ? static_cast<T*>(g_object_ref(object)) : nullptr); }

    GObjectRef(GObjectRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    GObjectRef& operator=(GObjectRef&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    GObjectRef(const GObjectRef& other) : m_object(other.m_object ? static_cast<T*>(g_object_ref(other.m_object)) : nullptr) {}
    GObjectRef& operator=(const GObjectRef& other) { return *this = GObjectRef(other); }
    ~GObjectRef() { reset(); }

    void reset()
    {
        if (auto* object = std::exchange(m_object, nullptr))
            g_object_unref(object);
    }
    T* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    explicit GObjectRef(T* object) : m_object(object) {}
    T* m_object = nullptr;
};

}
