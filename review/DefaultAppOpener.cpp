#include "review/DefaultAppOpener.h"

#include "platform/core/Log.h"
#include "platform/ui/Desktop.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <array>
#include <memory>
#include <string_view>

namespace ikw {

namespace {

// Types whose default handler runs the file. Scripts and AppImages are sub-types of the first.
constexpr std::array kProgramTypes {
    "application/x-executable",
    "application/x-sharedlib",
    "application/x-desktop",
    "application/x-ms-dos-executable",
    "application/x-msdownload",
    "application/x-msi",
    "application/x-java-archive",
};

bool endsWithDesktop(std::string_view path)
{
    constexpr std::string_view suffix = ".desktop";
    if (path.size() < suffix.size())
        return false;
    const std::string_view tail = path.substr(path.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (g_ascii_tolower(tail[i]) != suffix[i])
            return false;
    }
    return true;
}

// The type the desktop gives the file, sniffing its content (a script without an extension is
// still a script).
std::string contentTypeOf(const std::string& path)
{
    const std::unique_ptr<GFile, decltype(&g_object_unref)> file(g_file_new_for_path(path.c_str()), g_object_unref);
    const std::unique_ptr<GFileInfo, decltype(&g_object_unref)> info(
        g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr, nullptr), g_object_unref);
    if (!info)
        return {};
    const char* type = g_file_info_get_content_type(info.get());
    return type ? type : "";
}

}

bool couldLaunchProgram(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return false;
    if (!S_ISREG(status.st_mode))
        return false;
    if (status.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH))
        return true;
    // The name as given and the file it leads to: a link called "notes.pdf" may point at a launcher.
    const std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), free);
    if (endsWithDesktop(path) || (resolved && endsWithDesktop(resolved.get())))
        return true;
    const std::string type = contentTypeOf(path);
    for (const char* program : kProgramTypes) {
        if (!type.empty() && g_content_type_is_a(type.c_str(), program))
            return true;
    }
    return false;
}

DefaultOpen openWithDefaultApp(ui::Workspace& workspace, const std::string& path)
{
    if (couldLaunchProgram(path)) {
        logLine("a page asked to open a program with its default application; shown in its folder instead: " + path);
        workspace.revealFile(path);
        return DefaultOpen::Revealed;
    }
    return workspace.openFile(path) ? DefaultOpen::Opened : DefaultOpen::Failed;
}

}
