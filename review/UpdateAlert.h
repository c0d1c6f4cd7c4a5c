#pragma once

#include <functional>
#include <string>

namespace ikw {

namespace ui {
class Dialogs;
}

// The page bridge's plain notice: `title` as the alert's message, `message` under it, one "OK".
// `dismissed` runs once the user has answered.
void updateAlert(ui::Dialogs& dialogs, std::string title, std::string message, std::function<void()> dismissed = {});

}
