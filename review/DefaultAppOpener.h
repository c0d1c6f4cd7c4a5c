#pragma once

#include <string>

namespace ikw {

namespace ui {
class Workspace;
}

// Whether handing `path` to its default application could start a program: a regular file with
// any execute bit, a launcher (".desktop"), or a type the desktop runs rather than shows
// (executables, scripts, installers, Java archives). Folders are shown, never run.
bool couldLaunchProgram(const std::string& path);

enum class DefaultOpen { Opened, Revealed, Failed };

// Opens `path` with its default application; a file that could start a program is shown in its
// folder instead, so a page can never launch one.
DefaultOpen openWithDefaultApp(ui::Workspace& workspace, const std::string& path);

}
