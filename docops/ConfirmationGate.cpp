#include "docops/ConfirmationGate.h"

#include "app/Settings.h"

namespace ikw::docops {

std::string skipKey(const std::string& action)
{
    return "pageops_skip_" + action;
}

void confirmFileOp(const std::shared_ptr<FileOpHost>& host, const FileOpQuestion& question,
    std::function<void()> work, std::function<void()> onCancel)
{
    const std::string key = skipKey(question.action);
    if (!cfgBool("pageops_confirm", true) || cfgBool(key, false)) {
        work();
        return;
    }

    ui::AlertContent alert;
    alert.message = question.title;
    alert.informativeText = question.message;
    alert.buttons = { question.verb, "Cancel" };
    alert.style = ui::AlertContent::Style::Warning;
    alert.showsSuppression = true;
    alert.suppressionText = "Don\u2019t ask me again for this action";

    ui::Window* const parent = host->sheetParent();
    const bool asSheet = parent != nullptr;
    // A dialog backend that answered twice must not run the work twice.
    auto answered = std::make_shared<bool>(false);
    host->dialogs().alert(parent, alert,
        [weakHost = std::weak_ptr<FileOpHost>(host), key, asSheet, answered, work = std::move(work),
            onCancel = std::move(onCancel)](ui::AlertAnswer answer) {
            if (*answered)
                return;
            *answered = true;
            if (answer.suppressed) {
                Json settings = loadConfig();
                settings[key] = true;
                saveConfig(settings);
                if (asSheet) {
                    if (const auto host = weakHost.lock(); host && host->isOpen())
                        host->reloadSettingsPanelIfOpen();
                }
            }
            if (answer.button == 0)
                work();
            else if (onCancel)
                onCancel();
        });
}

}
