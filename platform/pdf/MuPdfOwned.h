#pragma once

// Internal to the PDF layer: owners of MuPDF references.

#include "platform/pdf/MuPdfContext.h"

#include <string>

namespace ikw::pdf::detail {

// Owns one reference to a MuPDF object and drops it with the thread's context. Declare it before
// fz_try and fill it inside: the pointer is kept in memory (volatile), so a MuPDF error that jumps
// back to fz_try cannot lose it, and the destructor runs as for any other object.
template<typename T, void (*Drop)(fz_context*, T*)>
class Owned {
public:
    Owned() = default;
    explicit Owned(T* pointer) : m_pointer(pointer) { }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    T* get() const { return m_pointer; }
    T* release()
    {
        T* pointer = m_pointer;
        m_pointer = nullptr;
        return pointer;
    }
    void reset(T* pointer = nullptr)
    {
        T* old = m_pointer;
        m_pointer = pointer;
        if (old)
            Drop(threadContext(), old);
    }

private:
    T* volatile m_pointer = nullptr;
};

using OwnedBuffer = Owned<fz_buffer, fz_drop_buffer>;
using OwnedStream = Owned<fz_stream, fz_drop_stream>;
using OwnedOutput = Owned<fz_output, fz_drop_output>;
using OwnedPage = Owned<fz_page, fz_drop_page>;
using OwnedTextPage = Owned<fz_stext_page, fz_drop_stext_page>;
using OwnedPixmap = Owned<fz_pixmap, fz_drop_pixmap>;
using OwnedDevice = Owned<fz_device, fz_drop_device>;
using OwnedDisplayList = Owned<fz_display_list, fz_drop_display_list>;
using OwnedObject = Owned<pdf_obj, pdf_drop_obj>;
using OwnedDocument = Owned<pdf_document, pdf_drop_document>;

// The buffer's bytes as a string. Throws MuPDF errors only through fz_buffer_storage (never).
inline std::string bufferBytes(fz_context* context, fz_buffer* buffer)
{
    unsigned char* data = nullptr;
    const size_t length = fz_buffer_storage(context, buffer, &data);
    return std::string(reinterpret_cast<const char*>(data), length);
}

}
