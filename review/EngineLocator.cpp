#include "review/EngineLocator.h"

#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/core/Process.h"

namespace ikw {

std::string enginePath(std::string_view userRelative, std::string_view bundleRelative)
{
    const Globals& constants = globals();
    const std::string userPath = joinPath(joinPath(constants.home, kUserEngineFolder), userRelative);
    if (realFileSystem().exists(userPath))
        return userPath;
    return joinPath(joinPath(constants.paths.resourcesDir, "engine"), bundleRelative);
}

std::string engineLauncher() { return enginePath("app/launch.sh", "launch.sh"); }
std::string panelPy() { return enginePath("app/viewer/panels.py", "panels.py"); }
std::string ruredeGenPy() { return enginePath("rurede_gen.py", "rurede_gen.py"); }
std::string inkwardenDiffPy() { return enginePath("app/inkwarden_diff.py", "inkwarden_diff.py"); }
std::string historyHTMLPath() { return enginePath("app/history.html", "history.html"); }
std::string readerHTMLPath() { return enginePath("app/vendor/pdfjs/reader.html", "vendor/pdfjs/reader.html"); }
std::string gridHTMLPath() { return enginePath("app/vendor/pdfjs/gridview.html", "vendor/pdfjs/gridview.html"); }
std::string timelineHTMLPath() { return enginePath("app/vendor/pdfjs/drafttimeline.html", "vendor/pdfjs/drafttimeline.html"); }
std::string groupWriterHTMLPath() { return enginePath("app/vendor/pdfjs/groupwriter.html", "vendor/pdfjs/groupwriter.html"); }

std::string pythonInterpreter()
{
    if (!findExecutable("/usr/bin/python3").empty())
        return "/usr/bin/python3";
    if (std::string onPath = findExecutable("python3"); !onPath.empty())
        return onPath;
    return "python3";
}

}
