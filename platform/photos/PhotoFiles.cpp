#include "platform/photos/PhotoFiles.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <filesystem>

namespace ikw::photos {

namespace fs = std::filesystem;

namespace {

bool isHiddenName(const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

// The identifier's components when every one is a visible name; nothing otherwise ("", ".", "..",
// hidden names, an absolute path, NUL bytes).
std::optional<std::vector<std::string>> identifierComponents(const std::string& localIdentifier)
{
    if (localIdentifier.empty() || localIdentifier.find('\0') != std::string::npos)
        return std::nullopt;
    std::vector<std::string> components;
    std::size_t begin = 0;
    while (true) {
        const std::size_t slash = localIdentifier.find('/', begin);
        std::string component = localIdentifier.substr(begin, slash == std::string::npos ? std::string::npos : slash - begin);
        if (component.empty() || isHiddenName(component))
            return std::nullopt;
        components.push_back(std::move(component));
        if (slash == std::string::npos)
            return components;
        begin = slash + 1;
    }
}

}

bool isImageName(const std::string& name)
{
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(name.c_str(), nullptr, 0, &uncertain);
    gchar* mimeType = type ? g_content_type_get_mime_type(type) : nullptr;
    const bool image = mimeType && g_str_has_prefix(mimeType, "image/");
    g_free(mimeType);
    g_free(type);
    return image;
}

std::vector<PhotoAsset> listImageFiles(const std::string& folder)
{
    std::vector<PhotoAsset> images;
    std::error_code error;
    // Symbolic links to folders are not followed (album links and loops alike).
    fs::recursive_directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
    if (error)
        return images;
    for (; entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        if (error)
            break;
        const fs::directory_entry& entry = *entries;
        const std::string name = entry.path().filename().string();
        std::error_code typeError;
        if (entry.is_symlink(typeError))
            continue;
        if (isHiddenName(name)) {
            if (entry.is_directory(typeError))
                entries.disable_recursion_pending();
            continue;
        }
        if (!entry.is_regular_file(typeError) || !isImageName(name))
            continue;
        images.push_back({ .localIdentifier = entry.path().lexically_relative(folder).generic_string(), .path = entry.path().string() });
    }
    return images;
}

std::optional<PhotoAsset> imageForIdentifier(const std::string& folder, const std::string& localIdentifier)
{
    const auto components = identifierComponents(localIdentifier);
    if (!components)
        return std::nullopt;
    std::string path = folder;
    for (std::size_t i = 0; i < components->size(); ++i) {
        path += "/" + (*components)[i];
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0)
            return std::nullopt;
        const bool last = i + 1 == components->size();
        if (last ? !S_ISREG(status.st_mode) : !S_ISDIR(status.st_mode))
            return std::nullopt;
    }
    if (!isImageName(components->back()))
        return std::nullopt;
    return PhotoAsset { .localIdentifier = localIdentifier, .path = path };
}

}
