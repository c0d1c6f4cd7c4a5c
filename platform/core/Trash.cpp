#include "platform/core/FileSystem.h"
#include "platform/core/GObjectRef.h"

#include <gio/gio.h>

namespace ikw {

IoStatus FileSystem::moveToTrash(const std::string& path)
{
    return ikw::moveToTrash(path);
}

IoStatus moveToTrash(const std::string& path)
{
    const auto file = GObjectRef<GFile>::adopt(g_file_new_for_path(path.c_str()));
    GError* error = nullptr;
    if (g_file_trash(file.get(), nullptr, &error))
        return IoStatus::success();
    IoStatus status = IoStatus::failure(path + ": " + (error ? error->message : "could not be moved to the trash"));
    g_clear_error(&error);
    return status;
}

}
