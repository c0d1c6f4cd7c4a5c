#include "platform/imaging/thumbnails/ImageModule.h"

#include "platform/core/Paths.h"

#include <dlfcn.h>

namespace ikw::thumbnail {

std::string ImageModule::defaultPath()
{
    return joinPath(parentPath(executableDir()), "lib/libikw_thumbnail_images.so");
}

ImageModule::Entry ImageModule::entry()
{
    std::call_once(m_loaded, [this] {
        // Kept for the whole process: its code runs on the worker threads until exit.
        if (void* module = ::dlopen(m_path.c_str(), RTLD_NOW | RTLD_LOCAL))
            m_entry = reinterpret_cast<Entry>(::dlsym(module, "ikw_image_thumbnail_png_in_box"));
    });
    return m_entry;
}

std::optional<std::string> ImageModule::thumbnailPng(const std::string& source, PixelBox box)
{
    const Entry render = entry();
    if (!render)
        return std::nullopt;
    std::string png;
    const auto append = [](void* context, const char* bytes, unsigned long size) { static_cast<std::string*>(context)->assign(bytes, size); };
    if (!render(source.c_str(), box.width, box.height, &m_budget, append, &png))
        return std::nullopt;
    return png;
}

}
