#include "review/UpdateAlert.h"

#include "platform/ui/Dialogs.h"

namespace ikw {

void updateAlert(ui::Dialogs& dialogs, std::string title, std::string message, std::function<void()> dismissed)
{
    ui::AlertContent content;
    content.message = std::move(title);
    content.informativeText = std::move(message);
    dialogs.alert(nullptr, content, [dismissed = std::move(dismissed)](ui::AlertAnswer) {
        if (dismissed)
            dismissed();
    });
}

}
