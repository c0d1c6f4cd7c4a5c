#include "platform/imaging/thumbnails/images/DesktopThumbnailers.h"

#include "platform/imaging/thumbnails/images/ImageRenderer.h"

#include "platform/core/Paths.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "platform/core/Process.h"
#include "platform/core/Text.h"

#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace ikw::thumbnail {

namespace {

constexpr const char* kGroup = "Thumbnailer Entry";
constexpr double kThumbnailerTimeoutSeconds = 30;

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

std::string stringKey(GKeyFile* file, const char* key)
{
    gchar* value = g_key_file_get_string(file, kGroup, key, nullptr);
    std::string text = value ? value : "";
    g_free(value);
    return text;
}

std::string substituteCodes(std::string_view argument, const std::string& input, const std::string& inputUri,
    const std::string& output, const std::string& size)
{
    std::string result;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] != '%' || i + 1 == argument.size()) {
            result += argument[i];
            continue;
        }
        switch (argument[++i]) {
        case 'i': result += input; break;
        case 'u': result += inputUri; break;
        case 'o': result += output; break;
        case 's': result += size; break;
        case '%': result += '%'; break;
        default: break; // unknown codes are dropped
        }
    }
    return result;
}

std::string fileUri(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string text = uri ? uri : "";
    g_free(uri);
    return text;
}

// A fresh folder of this user's own for one thumbnailer run: the programs write where we say.
std::optional<std::string> jobFolder()
{
    const auto base = privateTemporaryFolder(Paths::fromEnvironment(), "Inkwarden");
    return base ? createTemporaryFolder(*base, "qelthumb-") : std::nullopt;
}

}

std::optional<DesktopThumbnailer> DesktopThumbnailer::load(const std::string& path)
{
    std::unique_ptr<GKeyFile, KeyFileDeleter> file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr))
        return std::nullopt;
    DesktopThumbnailer thumbnailer;
    thumbnailer.tryExec = stringKey(file.get(), "TryExec");
    gint argc = 0;
    gchar** argv = nullptr;
    const std::string exec = stringKey(file.get(), "Exec");
    if (exec.empty() || !g_shell_parse_argv(exec.c_str(), &argc, &argv, nullptr))
        return std::nullopt;
    thumbnailer.exec.assign(argv, argv + argc);
    g_strfreev(argv);
    gsize count = 0;
    gchar** types = g_key_file_get_string_list(file.get(), kGroup, "MimeType", &count, nullptr);
    if (types)
        thumbnailer.mimeTypes.assign(types, types + count);
    g_strfreev(types);
    return thumbnailer;
}

std::vector<std::string> DesktopThumbnailer::argumentsFor(const std::string& input, const std::string& output, int size) const
{
    const std::string uri = fileUri(input);
    const std::string sizeText = std::to_string(size);
    std::vector<std::string> arguments;
    arguments.reserve(exec.size());
    for (const auto& argument : exec)
        arguments.push_back(substituteCodes(argument, input, uri, output, sizeText));
    return arguments;
}

bool DesktopThumbnailer::isInstalled() const
{
    if (exec.empty() || findExecutable(exec.front()).empty())
        return false;
    return tryExec.empty() || !findExecutable(tryExec).empty();
}

std::vector<std::string> thumbnailerFolders()
{
    const Paths paths = Paths::fromEnvironment();
    std::vector<std::string> folders { joinPath(paths.dataHome, "thumbnailers") };
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    const std::string dirs = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
    for (const auto& folder : split(dirs, ':', false))
        folders.push_back(joinPath(folder, "thumbnailers"));
    return folders;
}

std::optional<DesktopThumbnailer> findThumbnailer(const std::string& mimeType)
{
    for (const auto& folder : thumbnailerFolders()) {
        DIR* dir = ::opendir(folder.c_str());
        if (!dir)
            continue;
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.ends_with(".thumbnailer"))
                names.push_back(name);
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            auto thumbnailer = DesktopThumbnailer::load(joinPath(folder, name));
            if (thumbnailer && std::ranges::count(thumbnailer->mimeTypes, mimeType) > 0 && thumbnailer->isInstalled())
                return thumbnailer;
        }
    }
    return std::nullopt;
}

Pixbuf renderWithThumbnailer(const DesktopThumbnailer& thumbnailer, const std::string& source, int pixelEdge, PixelBudget& budget)
{
    const auto folder = jobFolder();
    if (!folder)
        return {};
    const std::string output = joinPath(*folder, "thumbnail.png");
    ProcessOptions options;
    options.argv = thumbnailer.argumentsFor(source, output, pixelEdge);
    options.timeoutSeconds = kThumbnailerTimeoutSeconds;
    options.captureStandardError = false;
    const ProcessResult result = runProcess(options);
    Pixbuf image = result.succeeded() ? loadImageFitted(output, pixelEdge, budget) : Pixbuf();
    ::unlink(output.c_str());
    ::rmdir(folder->c_str());
    return image;
}

}
