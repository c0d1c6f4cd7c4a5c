#pragma once

#include "platform/ui/Dialogs.h"

namespace ikw::ui::gtk3 {

class Dialogs final : public ui::Dialogs {
public:
    AlertHandle alert(ui::Window* parent, const AlertContent& request, std::function<void(AlertAnswer)> completion) override;
    void openPanel(ui::Window* parent, const FilePanelOptions& request,
        std::function<void(std::optional<std::vector<std::string>>)> completion) override;
    void savePanel(ui::Window* parent, const FilePanelOptions& request,
        std::function<void(std::optional<std::string>)> completion) override;
};

}
