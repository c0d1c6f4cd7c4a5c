#pragma once

#include "finder/DocumentFileServices.h"
#include "platform/ui/Menu.h"

#include <string>

namespace ikw {
class UrlActions;
}

namespace ikw::finder {

// The reader page's actions on its document: "readerrename" (path, name), "duplicatefile",
// "trashfile", "getinfo" (the file manager's properties window) and "share" (path). An action
// without the items it needs does nothing.
void registerDocumentActions(UrlActions& actions, const DocumentFileServices& services);

// The texts of the share menu and of the trash question.
inline constexpr const char* kShareByEmail = "Email";
std::string trashQuestion(const std::string& fileName);

// The ways to send a file (the reader's share button and the tab's document menu); each entry's
// command names the way ("shareByEmail").
ui::Menu shareMenu();
// Sends the file the way a share entry's command names; the beep when it cannot start.
void shareBy(const DocumentFileServices& services, const std::string& command, const std::string& path);

}
