#pragma once

#include "platform/ui/Dialogs.h"

namespace ikw::ui::gtk3 {

class Dialogs final : public ui::Dialogs {
public:
    void alert(ui::Window* parent, const AlertSpec& spec, std::function<void(AlertAnswer)> completion) override;
    void openPanel(ui::Window* parent, const FilePanelSpec& spec,
        std::function<void(std::optional<std::vector<std::string>>)> completion) override;
    void savePanel(ui::Window* parent, const FilePanelSpec& spec,
        std::function<void(std::optional<std::string>)> completion) override;
};

}
