#include "platform/ui/gtk/PageEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ikw::ui::gtk3 {
namespace {

constexpr const char* kDisplayTagPrefix = "nightink-";

std::string cssNumber(double value)
{
    char text[G_ASCII_DTOSTR_BUF_SIZE];
    return g_ascii_formatd(text, sizeof text, "%.4f", value);
}

std::string cssColor(const Color& color)
{
    const auto component = [](double value) { return std::to_string(static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255))); };
    return "rgba(" + component(color.red) + "," + component(color.green) + "," + component(color.blue) + "," + cssNumber(color.alpha) + ")";
}

GdkRGBA toRgba(const Color& color)
{
    return { color.red, color.green, color.blue, color.alpha };
}

Color fromRgba(const GdkRGBA& rgba)
{
    return { rgba.red, rgba.green, rgba.blue, rgba.alpha };
}

// Something that will run later on the loop and must not touch a destroyed editor.
template<typename Function>
void whileAlive(const std::weak_ptr<PageEditor*>& alive, Function function)
{
    if (const auto token = alive.lock())
        function(**token);
}

std::string styleKey(const TextStyle& style)
{
    std::string key = std::string(style.bold ? "b" : "") + (style.italic ? "i" : "") + (style.underline ? "u" : "") + "|" + style.fontFamily
        + "|" + (style.pointSize ? cssNumber(*style.pointSize) : "");
    for (const auto& color : { style.foreground, style.background })
        key += "|" + (color ? cssColor(*color) : std::string());
    return key;
}

void connectClicked(GtkWidget* button, std::function<void()> action)
{
    auto* held = new std::function<void()>(std::move(action));
    g_signal_connect_data(button, "clicked", G_CALLBACK((+[](GtkButton*, gpointer data) {
        // A copy: the action may destroy the editor that holds the button.
        const auto run = *static_cast<std::function<void()>*>(data);
        if (run)
            run();
    })), held, [](gpointer data, GClosure*) { delete static_cast<std::function<void()>*>(data); }, GConnectFlags {});
}

}

PageEditor::PageEditor(const EditorChrome& chrome)
    // The address names this editor's widgets in the screen's style sheet while it lives.
    : m_name("ikw-editor-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)))
    , m_controlSpecs(chrome.controls)
    , m_noticeSpec(chrome.notice)
    , m_root(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0))
{
    g_object_ref_sink(m_root);
    buildBar(chrome);
    if (chrome.notice)
        buildNotice(*chrome.notice);
    buildCanvas(chrome.look);
    applyCss(chrome.look);
    gtk_widget_show_all(m_root);
}

PageEditor::~PageEditor()
{
    m_changed = nullptr;
    m_resized = nullptr;
    g_signal_handlers_disconnect_by_data(m_buffer, this);
    g_signal_handlers_disconnect_by_data(m_scroll, this);
    gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(m_css.get()));
    gtk_widget_destroy(m_root);
    g_object_unref(m_root);
}

void PageEditor::buildBar(const EditorChrome& chrome)
{
    m_bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_name(m_bar, (m_name + "-bar").c_str());
    gtk_widget_set_size_request(m_bar, -1, static_cast<int>(chrome.look.barHeight));
    gtk_box_pack_start(GTK_BOX(m_root), m_bar, FALSE, FALSE, 0);
    for (std::size_t index = 0; index < chrome.controls.size(); ++index) {
        GtkWidget* control = nullptr;
        if (const auto* button = std::get_if<EditorButton>(&chrome.controls[index])) {
            control = gtk_button_new();
            GtkWidget* label = gtk_label_new(nullptr);
            gchar* escaped = g_markup_escape_text(button->title.c_str(), -1);
            const std::string text = button->look == EditorButton::Look::Bold ? std::string("<b>") + escaped + "</b>"
                : button->look == EditorButton::Look::Italic                  ? std::string("<i>") + escaped + "</i>"
                                                                              : std::string(escaped);
            g_free(escaped);
            gtk_label_set_markup(GTK_LABEL(label), text.c_str());
            gtk_container_add(GTK_CONTAINER(control), label);
            if (!button->iconPath.empty()) {
                if (GdkPixbuf* icon = gdk_pixbuf_new_from_file_at_size(button->iconPath.c_str(), 15, 15, nullptr)) {
                    gtk_button_set_image(GTK_BUTTON(control), gtk_image_new_from_pixbuf(icon));
                    gtk_button_set_always_show_image(GTK_BUTTON(control), TRUE);
                    g_object_unref(icon);
                }
            }
            if (button->look == EditorButton::Look::Accent)
                gtk_style_context_add_class(gtk_widget_get_style_context(control), "ikw-accent");
            gtk_widget_set_tooltip_text(control, button->tooltip.empty() ? nullptr : button->tooltip.c_str());
            connectClicked(control, button->pressed);
        } else {
            const auto& segments = std::get<EditorSegments>(chrome.controls[index]);
            control = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
            gtk_style_context_add_class(gtk_widget_get_style_context(control), GTK_STYLE_CLASS_LINKED);
            gtk_widget_set_tooltip_text(control, segments.tooltip.empty() ? nullptr : segments.tooltip.c_str());
            for (int segment = 0; segment < static_cast<int>(segments.labels.size()); ++segment) {
                const bool selectOne = segments.selected.has_value();
                GtkWidget* part = selectOne ? gtk_toggle_button_new_with_label(segments.labels[segment].c_str())
                                            : gtk_button_new_with_label(segments.labels[segment].c_str());
                if (selectOne)
                    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(part), segment == *segments.selected);
                const std::weak_ptr<PageEditor*> alive = m_alive;
                connectClicked(part, [alive, index, segment, selectOne] {
                    whileAlive(alive, [&](PageEditor& self) {
                        if (self.m_selecting)
                            return;
                        const auto chosen = std::get<EditorSegments>(self.m_controlSpecs[index]).chosen;
                        if (selectOne)
                            self.selectSegment(static_cast<int>(index), segment);
                        if (chosen)
                            chosen(segment);
                    });
                });
                gtk_box_pack_start(GTK_BOX(control), part, FALSE, FALSE, 0);
            }
        }
        gtk_widget_set_valign(control, GTK_ALIGN_CENTER);
        gtk_widget_set_margin_start(control, index == 0 ? 12 : 0);
        gtk_box_pack_start(GTK_BOX(m_bar), control, FALSE, FALSE, 0);
        m_controls.push_back(control);
    }
    m_status = gtk_label_new(chrome.status.c_str());
    gtk_widget_set_name(m_status, (m_name + "-status").c_str());
    gtk_widget_set_margin_end(m_status, 14);
    gtk_widget_set_margin_start(m_status, 12);
    gtk_label_set_ellipsize(GTK_LABEL(m_status), PANGO_ELLIPSIZE_END);
    gtk_box_pack_end(GTK_BOX(m_bar), m_status, FALSE, FALSE, 0);
}

void PageEditor::buildNotice(const EditorNotice& notice)
{
    m_notice = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 10);
    gtk_widget_set_name(m_notice, (m_name + "-notice").c_str());
    gtk_widget_set_size_request(m_notice, -1, 34);
    GtkWidget* label = gtk_label_new(notice.text.c_str());
    gtk_widget_set_name(label, (m_name + "-notice-text").c_str());
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_widget_set_margin_start(label, 14);
    gtk_box_pack_start(GTK_BOX(m_notice), label, FALSE, FALSE, 0);
    GtkWidget* copy = gtk_button_new_with_label(notice.buttonTitle.c_str());
    gtk_widget_set_valign(copy, GTK_ALIGN_CENTER);
    connectClicked(copy, notice.button);
    gtk_box_pack_start(GTK_BOX(m_notice), copy, FALSE, FALSE, 0);
    GtkWidget* close = gtk_button_new_with_label("\u2715");
    gtk_button_set_relief(GTK_BUTTON(close), GTK_RELIEF_NONE);
    gtk_widget_set_valign(close, GTK_ALIGN_CENTER);
    gtk_widget_set_margin_end(close, 10);
    gtk_widget_set_tooltip_text(close, notice.closeTooltip.c_str());
    connectClicked(close, notice.close);
    gtk_box_pack_end(GTK_BOX(m_notice), close, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_root), m_notice, FALSE, FALSE, 0);
}

void PageEditor::buildCanvas(const EditorLook& look)
{
    m_scroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(m_scroll), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(m_scroll), TRUE);
    m_canvas = gtk_layout_new(nullptr, nullptr);
    gtk_widget_set_name(m_canvas, (m_name + "-canvas").c_str());
    gtk_container_add(GTK_CONTAINER(m_scroll), m_canvas);
    gtk_box_pack_start(GTK_BOX(m_root), m_scroll, TRUE, TRUE, 0);

    m_buffer = gtk_source_buffer_new(nullptr);
    gtk_source_buffer_set_highlight_syntax(m_buffer, FALSE);
    gtk_source_buffer_set_highlight_matching_brackets(m_buffer, FALSE);
    gtk_source_buffer_set_max_undo_levels(m_buffer, -1);
    m_view = gtk_source_view_new_with_buffer(m_buffer);
    g_object_unref(m_buffer); // the view holds it
    gtk_widget_set_name(m_view, (m_name + "-page").c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(m_view), "ikw-page");
    if (look.night && !look.darkPaper)
        gtk_style_context_add_class(gtk_widget_get_style_context(m_view), "light-paper");
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(m_view), GTK_WRAP_WORD_CHAR);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(m_view), static_cast<int>(look.marginH));
    gtk_text_view_set_right_margin(GTK_TEXT_VIEW(m_view), static_cast<int>(look.marginH));
    gtk_text_view_set_top_margin(GTK_TEXT_VIEW(m_view), static_cast<int>(look.marginV));
    gtk_text_view_set_bottom_margin(GTK_TEXT_VIEW(m_view), static_cast<int>(look.marginV));
    gtk_layout_put(GTK_LAYOUT(m_canvas), m_view, 0, 30);

    // A click on the canvas around the page puts the caret in the text.
    gtk_widget_add_events(m_canvas, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(m_canvas, "button-press-event", G_CALLBACK((+[](GtkWidget*, GdkEventButton*, gpointer view) -> gboolean {
        gtk_widget_grab_focus(GTK_WIDGET(view));
        return FALSE;
    })), m_view);

    GtkTextBuffer* buffer = GTK_TEXT_BUFFER(m_buffer);
    g_signal_connect_after(buffer, "insert-text", G_CALLBACK(onInsertText), this);
    g_signal_connect(buffer, "changed", G_CALLBACK(onChanged), this);
    g_signal_connect(buffer, "mark-set", G_CALLBACK(onMarkSet), this);
    g_signal_connect(m_scroll, "size-allocate", G_CALLBACK(onSizeAllocate), this);
}

void PageEditor::applyCss(const EditorLook& look)
{
    const std::string id = "#" + m_name;
    std::string css = id + "-bar { background-color: " + cssColor(look.bar) + "; border-bottom: 2px solid " + cssColor(look.accent) + "; }\n"
        + id + "-bar button.ikw-accent { border-color: " + cssColor(look.accent) + "; }\n"
        + id + "-bar button, " + id + "-bar label { font-size: 12px; }\n"
        + id + "-status { font-size: 11px; opacity: 0.7; }\n"
        + id + "-notice { background-color: " + cssColor(look.notice) + "; }\n"
        + id + "-notice-text { color: " + cssColor(look.noticeText) + "; font-size: 11.5px; }\n"
        + id + "-canvas { background-color: " + cssColor(look.canvas) + "; }\n"
        + id + "-page { border-radius: 2px; box-shadow: 0 3px " + (look.night ? "18px rgba(0,0,0,0.55)" : "14px rgba(0,0,0,0.22)") + ";"
        + (look.night ? " border: 1px solid rgba(255,255,255,0.08);" : "") + " }\n"
        + id + "-page text { background-color: " + cssColor(look.paper) + ";"
        + (look.ink ? " color: " + cssColor(*look.ink) + "; caret-color: " + cssColor(*look.ink) + ";" : std::string())
        + (!look.fontFamily.empty() ? " font-family: \"" + look.fontFamily + "\";" : std::string())
        + (look.fontSize > 0 ? " font-size: " + cssNumber(look.fontSize) + "pt;" : std::string()) + " }\n";
    if (look.selectionBackground && look.ink)
        css += id + "-page text selection { background-color: " + cssColor(*look.selectionBackground) + "; color: " + cssColor(*look.ink) + "; }\n";
    // Light paper at night: the page as by day inside the dark window.
    css += id + "-page.light-paper text { background-color: #ffffff; color: #000000; caret-color: #000000; }\n";
    m_css = GObjectRef<GtkCssProvider>::adopt(gtk_css_provider_new());
    gtk_css_provider_load_from_data(m_css.get(), css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(m_css.get()), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

void PageEditor::setStatus(const std::string& text)
{
    gtk_label_set_text(GTK_LABEL(m_status), text.c_str());
}

std::string PageEditor::status() const
{
    return gtk_label_get_text(GTK_LABEL(m_status));
}

void PageEditor::selectSegment(int controlIndex, int segment)
{
    if (controlIndex < 0 || controlIndex >= static_cast<int>(m_controls.size()))
        return;
    auto* spec = std::get_if<EditorSegments>(&m_controlSpecs[controlIndex]);
    if (!spec || !spec->selected)
        return;
    spec->selected = segment;
    ++m_selecting;
    GList* parts = gtk_container_get_children(GTK_CONTAINER(m_controls[controlIndex]));
    int index = 0;
    for (GList* part = parts; part; part = part->next, ++index)
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(part->data), index == segment);
    g_list_free(parts);
    --m_selecting;
}

void PageEditor::hideNotice()
{
    if (!m_notice)
        return;
    gtk_widget_destroy(m_notice); // the box gives its height to the canvas
    m_notice = nullptr;
}

ViewSize PageEditor::viewportSize() const
{
    return { static_cast<double>(gtk_widget_get_allocated_width(m_scroll)), static_cast<double>(gtk_widget_get_allocated_height(m_scroll)) };
}

double PageEditor::textHeight()
{
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(GTK_TEXT_BUFFER(m_buffer), &end);
    int y = 0;
    int height = 0;
    gtk_text_view_get_line_yrange(GTK_TEXT_VIEW(m_view), &end, &y, &height);
    return y + height;
}

void PageEditor::setPageFrame(double x, double y, double width, double height)
{
    // Moving or sizing the page lays the canvas out again, which asks for a new layout: only
    // real changes may go through.
    if (m_pageX == x && m_pageY == y && m_pageSize.width == width && m_pageSize.height == height)
        return;
    m_pageX = x;
    m_pageY = y;
    gtk_layout_move(GTK_LAYOUT(m_canvas), m_view, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
    gtk_widget_set_size_request(m_view, static_cast<int>(std::lround(width)), static_cast<int>(std::lround(height)));
    m_pageSize = { width, height };
}

ViewSize PageEditor::canvasSize() const
{
    guint width = 0;
    guint height = 0;
    gtk_layout_get_size(GTK_LAYOUT(m_canvas), &width, &height);
    return { static_cast<double>(width), static_cast<double>(height) };
}

void PageEditor::setCanvasSize(double width, double height)
{
    gtk_layout_set_size(GTK_LAYOUT(m_canvas), static_cast<guint>(std::lround(width)), static_cast<guint>(std::lround(height)));
}

GtkTextTag* PageEditor::tagFor(const TextStyle& style)
{
    const std::string name = "style-" + styleKey(style);
    GtkTextTagTable* table = gtk_text_buffer_get_tag_table(GTK_TEXT_BUFFER(m_buffer));
    if (GtkTextTag* existing = gtk_text_tag_table_lookup(table, name.c_str()))
        return existing;
    GtkTextTag* tag = gtk_text_buffer_create_tag(GTK_TEXT_BUFFER(m_buffer), name.c_str(), nullptr);
    if (style.bold)
        g_object_set(tag, "weight", PANGO_WEIGHT_BOLD, nullptr);
    if (style.italic)
        g_object_set(tag, "style", PANGO_STYLE_ITALIC, nullptr);
    if (style.underline)
        g_object_set(tag, "underline", PANGO_UNDERLINE_SINGLE, nullptr);
    if (!style.fontFamily.empty())
        g_object_set(tag, "family", style.fontFamily.c_str(), nullptr);
    if (style.pointSize)
        g_object_set(tag, "size-points", *style.pointSize, nullptr);
    if (style.foreground) {
        const GdkRGBA rgba = toRgba(*style.foreground);
        g_object_set(tag, "foreground-rgba", &rgba, nullptr);
    }
    if (style.background) {
        const GdkRGBA rgba = toRgba(*style.background);
        g_object_set(tag, "background-rgba", &rgba, nullptr);
    }
    m_styleTags[tag] = style;
    raiseDisplayTags();
    return tag;
}

GtkTextTag* PageEditor::alignTag(TextAlign align)
{
    static constexpr const char* kNames[] = { "align-left", "align-center", "align-right", "align-fill" };
    static constexpr GtkJustification kJustify[] = { GTK_JUSTIFY_LEFT, GTK_JUSTIFY_CENTER, GTK_JUSTIFY_RIGHT, GTK_JUSTIFY_FILL };
    const auto index = static_cast<int>(align);
    GtkTextTagTable* table = gtk_text_buffer_get_tag_table(GTK_TEXT_BUFFER(m_buffer));
    if (GtkTextTag* existing = gtk_text_tag_table_lookup(table, kNames[index]))
        return existing;
    return gtk_text_buffer_create_tag(GTK_TEXT_BUFFER(m_buffer), kNames[index], "justification", kJustify[index], nullptr);
}

void PageEditor::raiseDisplayTags()
{
    GtkTextTagTable* table = gtk_text_buffer_get_tag_table(GTK_TEXT_BUFFER(m_buffer));
    const int top = gtk_text_tag_table_get_size(table) - 1;
    for (const auto& [name, tag] : m_displayTags)
        gtk_text_tag_set_priority(tag, top);
}

void PageEditor::iterAt(GtkTextIter* iter, int offset) const
{
    gtk_text_buffer_get_iter_at_offset(GTK_TEXT_BUFFER(m_buffer), iter, std::max(offset, 0));
}

std::optional<TextStyle> PageEditor::styleOfTags(GtkTextIter* at) const
{
    GSList* tags = gtk_text_iter_get_tags(at);
    std::optional<TextStyle> style;
    for (GSList* item = tags; item; item = item->next) {
        if (const auto found = m_styleTags.find(static_cast<GtkTextTag*>(item->data)); found != m_styleTags.end())
            style = found->second;
    }
    g_slist_free(tags);
    return style;
}

TextAlign PageEditor::alignAt(const GtkTextIter& lineStart) const
{
    static constexpr std::pair<const char*, TextAlign> kAligns[] = {
        { "align-center", TextAlign::Center }, { "align-right", TextAlign::Right }, { "align-fill", TextAlign::Justified }
    };
    GtkTextTagTable* table = gtk_text_buffer_get_tag_table(GTK_TEXT_BUFFER(m_buffer));
    for (const auto& [name, align] : kAligns) {
        GtkTextTag* tag = gtk_text_tag_table_lookup(table, name);
        if (tag && gtk_text_iter_has_tag(&lineStart, tag))
            return align;
    }
    return TextAlign::Left;
}

void PageEditor::setText(const std::vector<StyledParagraph>& paragraphs)
{
    GtkTextBuffer* buffer = GTK_TEXT_BUFFER(m_buffer);
    ++m_loading;
    gtk_source_buffer_begin_not_undoable_action(m_buffer);
    gtk_text_buffer_set_text(buffer, "", 0);
    for (std::size_t p = 0; p < paragraphs.size(); ++p) {
        GtkTextIter end;
        gtk_text_buffer_get_end_iter(buffer, &end);
        const int paragraphStart = gtk_text_iter_get_offset(&end);
        for (const auto& run : paragraphs[p].runs) {
            gtk_text_buffer_get_end_iter(buffer, &end);
            if (run.style == TextStyle {})
                gtk_text_buffer_insert(buffer, &end, run.text.c_str(), static_cast<int>(run.text.size()));
            else
                gtk_text_buffer_insert_with_tags(buffer, &end, run.text.c_str(), static_cast<int>(run.text.size()), tagFor(run.style), nullptr);
        }
        gtk_text_buffer_get_end_iter(buffer, &end);
        if (p + 1 < paragraphs.size())
            gtk_text_buffer_insert(buffer, &end, "\n", 1);
        if (paragraphs[p].align != TextAlign::Left) {
            GtkTextIter start;
            iterAt(&start, paragraphStart);
            gtk_text_buffer_get_end_iter(buffer, &end);
            gtk_text_buffer_apply_tag(buffer, alignTag(paragraphs[p].align), &start, &end);
        }
    }
    gtk_source_buffer_end_not_undoable_action(m_buffer);
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer, &start);
    gtk_text_buffer_place_cursor(buffer, &start);
    --m_loading;
    scheduleResize();
}

std::vector<StyledParagraph> PageEditor::text() const
{
    std::vector<StyledParagraph> paragraphs;
    GtkTextBuffer* buffer = GTK_TEXT_BUFFER(m_buffer);
    const int lines = gtk_text_buffer_get_line_count(buffer);
    for (int line = 0; line < lines; ++line) {
        StyledParagraph paragraph;
        GtkTextIter at;
        gtk_text_buffer_get_iter_at_line(buffer, &at, line);
        paragraph.align = alignAt(at);
        GtkTextIter lineEnd = at;
        if (!gtk_text_iter_ends_line(&lineEnd))
            gtk_text_iter_forward_to_line_end(&lineEnd);
        while (gtk_text_iter_compare(&at, &lineEnd) < 0) {
            GtkTextIter next = at;
            gtk_text_iter_forward_to_tag_toggle(&next, nullptr);
            if (gtk_text_iter_compare(&next, &lineEnd) > 0 || gtk_text_iter_equal(&next, &at))
                next = lineEnd;
            gchar* piece = gtk_text_buffer_get_text(buffer, &at, &next, TRUE);
            const TextStyle style = styleOfTags(&at).value_or(TextStyle {});
            if (!paragraph.runs.empty() && paragraph.runs.back().style == style)
                paragraph.runs.back().text += piece;
            else if (*piece)
                paragraph.runs.push_back({ piece, style });
            g_free(piece);
            at = next;
        }
        paragraphs.push_back(std::move(paragraph));
    }
    return paragraphs;
}

std::string PageEditor::plainText() const
{
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(GTK_TEXT_BUFFER(m_buffer), &start, &end);
    gchar* text = gtk_text_buffer_get_text(GTK_TEXT_BUFFER(m_buffer), &start, &end, TRUE);
    std::string out = text;
    g_free(text);
    return out;
}

int PageEditor::length() const
{
    return gtk_text_buffer_get_char_count(GTK_TEXT_BUFFER(m_buffer));
}

CharRange PageEditor::selection() const
{
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_selection_bounds(GTK_TEXT_BUFFER(m_buffer), &start, &end);
    return { gtk_text_iter_get_offset(&start), gtk_text_iter_get_offset(&end) };
}

void PageEditor::setSelection(CharRange range)
{
    GtkTextIter start;
    GtkTextIter end;
    iterAt(&start, range.start);
    iterAt(&end, std::max(range.end, range.start));
    gtk_text_buffer_select_range(GTK_TEXT_BUFFER(m_buffer), &end, &start);
}

std::vector<StyleSpan> PageEditor::spans(CharRange range) const
{
    std::vector<StyleSpan> out;
    GtkTextIter at;
    GtkTextIter end;
    iterAt(&at, range.start);
    iterAt(&end, range.end);
    while (gtk_text_iter_compare(&at, &end) < 0) {
        if (gtk_text_iter_ends_line(&at)) {
            gtk_text_iter_forward_char(&at);
            continue;
        }
        GtkTextIter next = at;
        gtk_text_iter_forward_to_tag_toggle(&next, nullptr);
        GtkTextIter lineEnd = at;
        gtk_text_iter_forward_to_line_end(&lineEnd);
        for (GtkTextIter* limit : { &end, &lineEnd }) {
            if (gtk_text_iter_compare(&next, limit) > 0)
                next = *limit;
        }
        const TextStyle style = styleOfTags(&at).value_or(TextStyle {});
        const CharRange piece { gtk_text_iter_get_offset(&at), gtk_text_iter_get_offset(&next) };
        if (!out.empty() && out.back().range.end == piece.start && out.back().style == style)
            out.back().range.end = piece.end;
        else
            out.push_back({ piece, style });
        at = next;
    }
    return out;
}

void PageEditor::beginEdit()
{
    if (m_editDepth++ == 0)
        gtk_text_buffer_begin_user_action(GTK_TEXT_BUFFER(m_buffer));
}

void PageEditor::endEdit()
{
    if (--m_editDepth > 0)
        return;
    gtk_text_buffer_end_user_action(GTK_TEXT_BUFFER(m_buffer));
    if (const auto changed = m_changed)
        changed();
    scheduleResize();
}

void PageEditor::removeStyleTags(GtkTextIter* start, GtkTextIter* end)
{
    for (const auto& [tag, style] : m_styleTags)
        gtk_text_buffer_remove_tag(GTK_TEXT_BUFFER(m_buffer), tag, start, end);
}

void PageEditor::setStyle(CharRange range, const TextStyle& style)
{
    GtkTextIter start;
    GtkTextIter end;
    iterAt(&start, range.start);
    iterAt(&end, range.end);
    removeStyleTags(&start, &end);
    if (!(style == TextStyle {}))
        gtk_text_buffer_apply_tag(GTK_TEXT_BUFFER(m_buffer), tagFor(style), &start, &end);
}

void PageEditor::setAlignment(CharRange range, TextAlign align)
{
    GtkTextIter start;
    GtkTextIter end;
    iterAt(&start, range.start);
    iterAt(&end, range.end);
    gtk_text_iter_set_line_offset(&start, 0);
    if (!gtk_text_iter_ends_line(&end))
        gtk_text_iter_forward_to_line_end(&end);
    gtk_text_iter_forward_char(&end); // the paragraph's end belongs to it
    for (const TextAlign each : { TextAlign::Left, TextAlign::Center, TextAlign::Right, TextAlign::Justified })
        gtk_text_buffer_remove_tag(GTK_TEXT_BUFFER(m_buffer), alignTag(each), &start, &end);
    if (align != TextAlign::Left)
        gtk_text_buffer_apply_tag(GTK_TEXT_BUFFER(m_buffer), alignTag(align), &start, &end);
}

bool PageEditor::canUndo() const
{
    return gtk_source_buffer_can_undo(m_buffer);
}

void PageEditor::undo()
{
    if (gtk_source_buffer_can_undo(m_buffer))
        gtk_source_buffer_undo(m_buffer);
}

void PageEditor::redo()
{
    if (gtk_source_buffer_can_redo(m_buffer))
        gtk_source_buffer_redo(m_buffer);
}

void PageEditor::setDisplayForeground(CharRange range, const Color& color)
{
    gchar* rgba = nullptr;
    {
        const GdkRGBA value = toRgba(color);
        rgba = gdk_rgba_to_string(&value);
    }
    const std::string name = kDisplayTagPrefix + std::string(rgba);
    g_free(rgba);
    GtkTextTag*& tag = m_displayTags[name];
    if (!tag) {
        const GdkRGBA value = toRgba(color);
        tag = gtk_text_buffer_create_tag(GTK_TEXT_BUFFER(m_buffer), name.c_str(), "foreground-rgba", &value, nullptr);
        raiseDisplayTags();
    }
    GtkTextIter start;
    GtkTextIter end;
    iterAt(&start, range.start);
    iterAt(&end, range.end);
    gtk_text_buffer_apply_tag(GTK_TEXT_BUFFER(m_buffer), tag, &start, &end);
}

void PageEditor::clearDisplayColors(CharRange range)
{
    GtkTextIter start;
    GtkTextIter end;
    iterAt(&start, range.start);
    iterAt(&end, range.end);
    for (const auto& [name, tag] : m_displayTags)
        gtk_text_buffer_remove_tag(GTK_TEXT_BUFFER(m_buffer), tag, &start, &end);
}

std::vector<std::string> PageEditor::displayTagsAt(int index) const
{
    std::vector<std::string> names;
    GtkTextIter at;
    iterAt(&at, index);
    for (const auto& [name, tag] : m_displayTags) {
        if (gtk_text_iter_has_tag(&at, tag))
            names.push_back(name);
    }
    return names;
}

void PageEditor::chooseFont(const TextStyle& current, std::function<void(std::optional<FontChoice>)> chosen)
{
    GtkWidget* top = gtk_widget_get_toplevel(m_root);
    GtkWidget* dialog = gtk_font_chooser_dialog_new("Fonts", GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr);
    std::string description = current.fontFamily.empty() ? "Sans" : current.fontFamily;
    description += std::string(current.bold ? " Bold" : "") + (current.italic ? " Italic" : "") + " " + cssNumber(current.pointSize.value_or(12));
    gtk_font_chooser_set_font(GTK_FONT_CHOOSER(dialog), description.c_str());
    struct Pending {
        std::weak_ptr<PageEditor*> alive;
        std::function<void(std::optional<FontChoice>)> chosen;
    };
    g_signal_connect_data(dialog, "response", G_CALLBACK((+[](GtkDialog* box, gint response, gpointer data) {
        const auto pending = *static_cast<Pending*>(data);
        std::optional<FontChoice> choice;
        if (response == GTK_RESPONSE_OK) {
            if (PangoFontDescription* font = gtk_font_chooser_get_font_desc(GTK_FONT_CHOOSER(box))) {
                choice = FontChoice { pango_font_description_get_family(font) ? pango_font_description_get_family(font) : "",
                    pango_font_description_get_size(font) / static_cast<double>(PANGO_SCALE),
                    pango_font_description_get_weight(font) >= PANGO_WEIGHT_BOLD,
                    pango_font_description_get_style(font) != PANGO_STYLE_NORMAL };
                pango_font_description_free(font);
            }
        }
        gtk_widget_destroy(GTK_WIDGET(box));
        if (pending.alive.lock() && choice)
            pending.chosen(choice);
    })), new Pending { m_alive, std::move(chosen) }, [](gpointer data, GClosure*) { delete static_cast<Pending*>(data); }, GConnectFlags {});
    gtk_widget_show(dialog);
}

void PageEditor::chooseColor(const std::optional<Color>& current, std::function<void(std::optional<Color>)> chosen)
{
    GtkWidget* top = gtk_widget_get_toplevel(m_root);
    GtkWidget* dialog = gtk_color_chooser_dialog_new("Colors", GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr);
    gtk_color_chooser_set_use_alpha(GTK_COLOR_CHOOSER(dialog), FALSE);
    if (current) {
        const GdkRGBA rgba = toRgba(*current);
        gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(dialog), &rgba);
    }
    struct Pending {
        std::weak_ptr<PageEditor*> alive;
        std::function<void(std::optional<Color>)> chosen;
    };
    g_signal_connect_data(dialog, "response", G_CALLBACK((+[](GtkDialog* box, gint response, gpointer data) {
        const auto pending = *static_cast<Pending*>(data);
        std::optional<Color> choice;
        if (response == GTK_RESPONSE_OK) {
            GdkRGBA rgba;
            gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(box), &rgba);
            choice = fromRgba(rgba);
        }
        gtk_widget_destroy(GTK_WIDGET(box));
        if (pending.alive.lock() && choice)
            pending.chosen(choice);
    })), new Pending { m_alive, std::move(chosen) }, [](gpointer data, GClosure*) { delete static_cast<Pending*>(data); }, GConnectFlags {});
    gtk_widget_show(dialog);
}

void PageEditor::focus()
{
    gtk_widget_grab_focus(m_view);
}

void PageEditor::scheduleResize()
{
    if (m_resizePending)
        return;
    m_resizePending = true;
    const std::weak_ptr<PageEditor*> alive = m_alive;
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, [](gpointer data) -> gboolean {
        whileAlive(*static_cast<std::weak_ptr<PageEditor*>*>(data), [](PageEditor& self) {
            self.m_resizePending = false;
            if (const auto resized = self.m_resized)
                resized();
        });
        return G_SOURCE_REMOVE;
    }, new std::weak_ptr<PageEditor*>(alive), [](gpointer data) { delete static_cast<std::weak_ptr<PageEditor*>*>(data); });
}

void PageEditor::onInsertText(GtkTextBuffer* buffer, GtkTextIter* at, gchar* text, gint length, gpointer data)
{
    auto* self = static_cast<PageEditor*>(data);
    if (self->m_loading)
        return;
    // Typed text takes the typing style (the buffer gives inserted text no tags of its own).
    GtkTextIter start = *at;
    gtk_text_iter_backward_chars(&start, static_cast<int>(g_utf8_strlen(text, length)));
    GtkTextIter end = *at;
    self->removeStyleTags(&start, &end);
    if (!(self->m_typing == TextStyle {}))
        gtk_text_buffer_apply_tag(buffer, self->tagFor(self->m_typing), &start, &end);
}

void PageEditor::onChanged(GtkTextBuffer*, gpointer data)
{
    auto* self = static_cast<PageEditor*>(data);
    if (self->m_loading || self->m_editDepth > 0)
        return;
    if (const auto changed = self->m_changed)
        changed();
    self->scheduleResize();
}

void PageEditor::onMarkSet(GtkTextBuffer* buffer, GtkTextIter* at, GtkTextMark* mark, gpointer data)
{
    auto* self = static_cast<PageEditor*>(data);
    if (self->m_loading || mark != gtk_text_buffer_get_insert(buffer))
        return;
    // The caret moved: what is typed next looks like the character before it.
    GtkTextIter before = *at;
    if (!gtk_text_iter_is_start(&before) && !gtk_text_iter_starts_line(&before))
        gtk_text_iter_backward_char(&before);
    self->m_typing = self->styleOfTags(&before).value_or(TextStyle {});
}

void PageEditor::onSizeAllocate(GtkWidget*, GdkRectangle* area, gpointer data)
{
    auto* self = static_cast<PageEditor*>(data);
    if (self->m_allocated.width == area->width && self->m_allocated.height == area->height)
        return;
    self->m_allocated = { static_cast<double>(area->width), static_cast<double>(area->height) };
    self->scheduleResize();
}

}
