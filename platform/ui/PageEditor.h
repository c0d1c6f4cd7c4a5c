#pragma once

#include "platform/ui/Color.h"

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ikw::ui {

enum class TextAlign { Left, Center, Right, Justified };

// What a stretch of text looks like in a page editor; unset parts follow the view's defaults.
struct TextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::string fontFamily;
    std::optional<double> pointSize;
    std::optional<Color> foreground;
    std::optional<Color> background;

    bool operator==(const TextStyle&) const = default;
};

struct StyledRun {
    std::string text; // UTF-8, no paragraph ends
    TextStyle style;

    bool operator==(const StyledRun&) const = default;
};

struct StyledParagraph {
    std::vector<StyledRun> runs;
    TextAlign align = TextAlign::Left;

    bool operator==(const StyledParagraph&) const = default;
};

// Characters (code points) from the start of the text; paragraphs are separated by one character.
struct CharRange {
    int start = 0;
    int end = 0;
    bool empty() const { return end <= start; }
    bool operator==(const CharRange&) const = default;
};

// A stretch of one style inside a range.
struct StyleSpan {
    CharRange range;
    TextStyle style;
};

struct FontChoice {
    std::string family;
    double pointSize = 12;
    bool bold = false;
    bool italic = false;
};

// Toolbar controls, left to right.
struct EditorButton {
    enum class Look { Plain, Bold, Italic, Accent };
    std::string title;
    std::string tooltip;
    Look look = Look::Plain;
    std::string iconPath; // shown before the title at 15 px; empty: none
    std::function<void()> pressed;
};

// Segments that keep one selected, or momentary ones (`selected` empty).
struct EditorSegments {
    std::vector<std::string> labels;
    std::string tooltip;
    std::optional<int> selected;
    std::function<void(int)> chosen;
};

using EditorControl = std::variant<EditorButton, EditorSegments>;

// The strip under the toolbar: a message, a button and a close button.
struct EditorNotice {
    std::string text;
    std::string buttonTitle;
    std::function<void()> button;
    std::string closeTooltip;
    std::function<void()> close;
};

struct EditorLook {
    bool night = false;
    bool darkPaper = false;       // night paper and ink; false at night draws the page as by day
    Color bar, accent, canvas, paper, notice, noticeText;
    std::optional<Color> ink;     // text, caret and selected-text colour; none: the theme's
    std::optional<Color> selectionBackground;
    bool richText = true;         // plain text takes no styles from pastes
    std::string fontFamily;       // empty: the system font
    double fontSize = 0;          // 0: the system size
    double marginH = 72;
    double marginV = 84;
    double barHeight = 46;
    double noticeHeight = 34;
};

struct EditorChrome {
    EditorLook look;
    std::vector<EditorControl> controls;
    std::string status;
    std::optional<EditorNotice> notice;
};

struct ViewSize {
    double width = 0;
    double height = 0;
};

// A rich-text page editor laid over a tab (Window::setTabOverlay): a toolbar, an optional notice,
// and a scrolled canvas holding the page. Its text holds runs of styles, one selection, typing
// styles for what is typed next, undo, and display colours that are shown but never part of the
// text. Main thread only.
class PageEditor {
public:
    virtual ~PageEditor() = default;

    // Chrome.
    virtual void setStatus(const std::string& text) = 0;
    virtual std::string status() const = 0;
    // Selects a segment of the control at `controlIndex` without running its action.
    virtual void selectSegment(int controlIndex, int segment) = 0;
    virtual void hideNotice() = 0;
    virtual bool hasNotice() const = 0;

    // The page on its canvas (logical pixels).
    virtual ViewSize viewportSize() const = 0;
    // The height of the laid-out text, margins aside.
    virtual double textHeight() = 0;
    virtual void setPageFrame(double x, double y, double width, double height) = 0;
    virtual ViewSize pageSize() const = 0;
    virtual ViewSize canvasSize() const = 0;
    virtual void setCanvasSize(double width, double height) = 0;

    // The text. setText starts afresh: no undo, no change notice.
    virtual void setText(const std::vector<StyledParagraph>& paragraphs) = 0;
    virtual std::vector<StyledParagraph> text() const = 0;
    // UTF-8, paragraphs ended by '\n' (the last one not).
    virtual std::string plainText() const = 0;
    virtual int length() const = 0;
    virtual CharRange selection() const = 0;
    virtual void setSelection(CharRange range) = 0;
    virtual std::vector<StyleSpan> spans(CharRange range) const = 0;
    // Edits made between beginEdit and endEdit are one undo step and one change notice.
    virtual void beginEdit() = 0;
    virtual void endEdit() = 0;
    virtual void setStyle(CharRange range, const TextStyle& style) = 0;
    // The paragraphs the range touches.
    virtual void setAlignment(CharRange range, TextAlign align) = 0;
    virtual TextStyle typingStyle() const = 0;
    virtual void setTypingStyle(const TextStyle& style) = 0;
    virtual bool canUndo() const = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;

    // Display colours: shown over the text's own, never part of it.
    virtual void setDisplayForeground(CharRange range, const Color& color) = 0;
    virtual void clearDisplayColors(CharRange range) = 0;

    // The choosers; nothing when cancelled.
    virtual void chooseFont(const TextStyle& current, std::function<void(std::optional<FontChoice>)> chosen) = 0;
    virtual void chooseColor(const std::optional<Color>& current, std::function<void(std::optional<Color>)> chosen) = 0;
    virtual void focus() = 0;

    // After each change of the text by the user (and after endEdit).
    virtual void setChangedHandler(std::function<void()> changed) = 0;
    // After the visible area or the text's height changed.
    virtual void setResizeHandler(std::function<void()> resized) = 0;
};

// A key press seen by a window's key monitor: the key's character ignoring the modifiers, lower
// case ("s"), and the modifiers held.
struct KeyPress {
    std::string key;
    bool control = false;
    bool shift = false;
    bool alt = false;
    bool super = false;
};

}
