#pragma once

#include <glib-object.h>

#include <utility>

namespace ikw::thumbnail {

// Owns one reference to a GObject.
template<typename T>
class GObjectRef {
public:
    GObjectRef() = default;
    // Takes over a reference the caller owns (a "transfer full" return value).
    static GObjectRef adopt(T* object) { return GObjectRef(object); }
    GObjectRef(GObjectRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    GObjectRef& operator=(GObjectRef&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    GObjectRef(const GObjectRef&) = delete;
    GObjectRef& operator=(const GObjectRef&) = delete;
    ~GObjectRef() { reset(); }

    T* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    void reset()
    {
        if (m_object)
            g_object_unref(m_object);
        m_object = nullptr;
    }

private:
    explicit GObjectRef(T* object) : m_object(object) {}
    T* m_object = nullptr;
};

}
