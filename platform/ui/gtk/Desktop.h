#pragma once

#include "platform/ui/Desktop.h"

namespace ikw::ui::gtk3 {

class Clipboard final : public ui::Clipboard {
public:
    void setText(const std::string& text) override;
    std::optional<std::string> text() const override;
};

class Workspace final : public ui::Workspace {
public:
    bool openUrl(const std::string& url) override;
    bool openFile(const std::string& path) override;
    void revealFile(const std::string& path) override;
};

// Inhibits idle (screen blanking and suspend) through the running GtkApplication, or through the
// session's screen saver service when the program runs without one.
class KeepAwake final : public ui::KeepAwake {
public:
    std::unique_ptr<KeepAwakeToken> hold(const std::string& reason) override;
};

}
