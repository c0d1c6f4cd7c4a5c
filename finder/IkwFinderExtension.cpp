#include "finder/IkwFinderExtension.h"

#include "finder-extension/ExtensionNames.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/ui/Desktop.h"

#ifndef IKW_NAUTILUS_EXTENSION_DIR
#define IKW_NAUTILUS_EXTENSION_DIR ""
#endif

namespace ikw::finder::IkwFinderExtension {

std::string extensionFolder()
{
    return IKW_NAUTILUS_EXTENSION_DIR;
}

bool isInstalledIn(std::string_view folder)
{
    return !folder.empty() && realFileSystem().exists(joinPath(folder, finderext::kModuleFileName));
}

bool isEnabled()
{
    return isInstalledIn(extensionFolder());
}

bool openExtensionSettings(ui::Workspace& workspace)
{
    const auto folder = extensionFolder();
    return !folder.empty() && realFileSystem().isDirectory(folder) && workspace.openFile(folder);
}

}
