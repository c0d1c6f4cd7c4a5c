#pragma once

#include "platform/imaging/thumbnails/PixelBudget.h"
#include "platform/imaging/thumbnails/ThumbnailRenderer.h"

#include <mutex>
#include <optional>
#include <string>

namespace ikw::thumbnail {

// The image half of the tool (gdk-pixbuf, GIO and the desktop's thumbnailers) as a module loaded
// on the first job that needs it: a run of PDF jobs never loads that library stack, which costs
// more than a whole one-page render.
// Pixels that the image decoders of all jobs may hold at once: 64 million, about 256 MB.
inline constexpr std::uint64_t kDecodePixelBudget = 64ull << 20;

class ImageModule {
public:
    explicit ImageModule(std::string path) : m_path(std::move(path)) {}
    ImageModule(const ImageModule&) = delete;
    ImageModule& operator=(const ImageModule&) = delete;

    // PNG bytes of the file's thumbnail; nothing when it cannot be made or the module is missing.
    std::optional<std::string> thumbnailPng(const std::string& source, PixelBox box);

    // <bundle>/lib/ beside the program's bin/ folder.
    static std::string defaultPath();

private:
    using Entry = bool (*)(const char*, int, int, PixelBudget*, void (*)(void*, const char*, unsigned long), void*);
    Entry entry();

    std::string m_path;
    std::once_flag m_loaded;
    Entry m_entry = nullptr;
    PixelBudget m_budget { kDecodePixelBudget };
};

}
