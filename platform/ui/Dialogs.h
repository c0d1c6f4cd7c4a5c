#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw::ui {

class Window;

// A one-line text field under an alert's texts.
struct AlertTextField {
    std::string text;   // what it holds when the alert opens
    int width = 320;
    std::string placeholder {}; // shown greyed while the field is empty
};

// A picture under an alert's texts.
struct AlertImage {
    std::string png; // PNG file bytes; empty or unreadable: the place stays empty
    // The size it is shown at, in pixels, scaled without smoothing; 0: the picture's own.
    int width = 0;
    int height = 0;
};

// A line of text under an alert's texts (and under its picture), centred and selectable.
struct AlertLabel {
    std::string text;
    double points = 0; // 0: the alert's own size
    bool bold = false;
    bool monospaced = false;
};

struct AlertContent {
    enum class Style { Informational, Warning, Critical };
    std::string message;
    std::string informativeText;
    std::vector<std::string> buttons { "OK" }; // the first is the default
    Style style = Style::Informational;
    // Shows a "Don’t ask me again" box (with this text when not empty).
    bool showsSuppression = false;
    std::string suppressionText = "Don\u2019t ask me again";
    // The button that Escape and the window's close answer (as if pressed); none: they answer -1.
    std::optional<int> cancelButton {};
    // Raised and kept above the application's other windows (alerts that belong to no window).
    bool keepAbove = false;
    // Text fields, in order; the first has the keyboard focus, and Enter in one presses the
    // default button.
    std::vector<AlertTextField> textFields {};
    // Shown above the text fields, the picture first, both centred.
    std::optional<AlertImage> image {};
    std::optional<AlertLabel> label {};
};

struct AlertAnswer {
    int button = 0;           // index into `buttons`; -1 when dismissed
    bool suppressed = false;  // the box was ticked
    std::vector<std::string> fieldTexts {}; // what the text fields hold, one per field
};

struct FilePanelOptions {
    std::string title;
    // The accept button's label; empty: "Open" (open panels) or "Save" (save panels).
    std::string prompt;
    // What the panel asks for. Choosers here have one title line and no message line, so a
    // message takes the title's place.
    std::string message;
    std::string directory;
    std::string suggestedName;              // save panels
    std::vector<std::string> extensions;    // "pdf", ...; empty: any file
    // With both set, either files or folders may be chosen.
    bool chooseFiles = true;
    bool chooseDirectories = false;
    bool allowsMultiple = false;
};

// Takes down an alert that is still open: its completion runs with button -1 and the dialog goes
// away. Nothing happens once the alert was answered, or for an empty handle. Copies take down the
// same alert. Main thread only.
class AlertHandle {
public:
    AlertHandle() = default;
    explicit AlertHandle(std::function<void()> dismiss) : m_dismiss(std::move(dismiss)) {}

    void dismiss() const
    {
        if (m_dismiss)
            m_dismiss();
    }

private:
    std::function<void()> m_dismiss;
};

// Modal dialogs. With a parent window they are attached to it (a sheet); the completion runs on
// the main thread once the user answered, or once the alert was dismissed through its handle.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual AlertHandle alert(Window* parent, const AlertContent& request, std::function<void(AlertAnswer)> completion) = 0;
    // Nothing when cancelled.
    virtual void openPanel(Window* parent, const FilePanelOptions& request,
        std::function<void(std::optional<std::vector<std::string>>)> completion) = 0;
    virtual void savePanel(Window* parent, const FilePanelOptions& request,
        std::function<void(std::optional<std::string>)> completion) = 0;
};

}
