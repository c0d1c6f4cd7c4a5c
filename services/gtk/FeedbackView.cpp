#include "services/gtk/FeedbackView.h"

#include "platform/ui/Desktop.h"
#include "services/gtk/FeedbackWidgets.h"

namespace ikw::services::gtk {

namespace {

constexpr const char* kSendingText = "Sending\u2026";

FeedbackSymbol symbolOf(FeedbackIntent intent)
{
    switch (intent) {
    case FeedbackIntent::idea:
        return FeedbackSymbol::idea;
    case FeedbackIntent::bug:
        return FeedbackSymbol::bug;
    case FeedbackIntent::praise:
        break;
    }
    return FeedbackSymbol::praise;
}

void setAccessibleName(GtkWidget* widget, const std::string& name)
{
    atk_object_set_name(gtk_widget_get_accessible(widget), name.c_str());
}

GtkWidget* named(GtkWidget* widget, const char* name)
{
    gtk_widget_set_name(widget, name);
    return widget;
}

GtkWidget* add(GtkWidget* container, GtkWidget* child)
{
    gtk_container_add(GTK_CONTAINER(container), child);
    return child;
}

GtkWidget* spacer(GtkOrientation orientation)
{
    GtkWidget* space = box(orientation, 0);
    if (orientation == GTK_ORIENTATION_HORIZONTAL)
        gtk_widget_set_hexpand(space, TRUE);
    else
        gtk_widget_set_vexpand(space, TRUE);
    return space;
}

GtkWidget* iconImage(const char* name, GtkIconSize size = GTK_ICON_SIZE_BUTTON)
{
    return gtk_image_new_from_icon_name(name, size);
}

// The desktop theme's accent, for a form that has none of its own.
SrgbColor desktopAccent()
{
    GtkWidget* probe = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GdkRGBA color { 0.21, 0.52, 0.89, 1 };
    gtk_style_context_lookup_color(gtk_widget_get_style_context(probe), "theme_selected_bg_color", &color);
    gtk_widget_destroy(probe);
    return { color.red, color.green, color.blue, 1 };
}

std::string textOf(GtkTextBuffer* buffer)
{
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    char* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    std::string result = text;
    g_free(text);
    return result;
}

}

FeedbackView::FeedbackView(std::shared_ptr<FeedbackForm> form, FeedbackViewHost host)
    : m_form(std::move(form))
    , m_host(std::move(host))
    , m_accent(m_form->accentColor() ? *m_form->accentColor() : desktopAccent())
{
    m_root = GObjectRef<GtkWidget>::adopt(GTK_WIDGET(g_object_ref_sink(gtk_stack_new())));
    GtkStack* stack = GTK_STACK(m_root.get());
    addClass(m_root.get(), "ikw-feedback");
    gtk_stack_set_transition_type(stack, GTK_STACK_TRANSITION_TYPE_CROSSFADE);
    gtk_stack_set_transition_duration(stack, 250);
    gtk_stack_add_named(stack, buildForm(), "form");
    gtk_stack_add_named(stack, buildThanks(), "thanks");
    gtk_widget_show_all(m_root.get());
    m_form->setChanged([this] { refresh(); });
    refresh();
}

FeedbackView::~FeedbackView()
{
    // An answer still on its way finds the form, but no widgets to draw on.
    m_form->setChanged({});
}

GtkWidget* FeedbackView::buildForm()
{
    GtkWidget* screen = box(GTK_ORIENTATION_VERTICAL, 0);
    add(screen, buildHeader());
    GtkWidget* scroll = add(screen, gtk_scrolled_window_new(nullptr, nullptr));
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(scroll), FALSE);
    gtk_widget_set_vexpand(scroll, TRUE);
    GtkWidget* content = pad(box(GTK_ORIENTATION_VERTICAL, 14), 4, 20, 12, 20);
    add(scroll, content);
    add(content, buildCards());
    add(content, buildEditor());
    if (m_form->screenshotRowShown())
        add(content, buildScreenshotRow());
    add(content, buildContactField());
    add(content, buildReward());
    add(content, buildBanner());
    add(screen, buildFooter());
    return screen;
}

GtkWidget* FeedbackView::closeButton()
{
    GtkWidget* button = named(gtk_button_new(), "close");
    gtk_button_set_image(GTK_BUTTON(button), iconImage("window-close-symbolic", GTK_ICON_SIZE_LARGE_TOOLBAR));
    gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
    gtk_widget_set_valign(button, GTK_ALIGN_START);
    addClass(button, "close");
    setAccessibleName(button, "Close");
    connectAction(button, "clicked", [this] {
        if (m_host.close)
            m_host.close();
    });
    return button;
}

GtkWidget* FeedbackView::buildHeader()
{
    GtkWidget* header = pad(box(GTK_ORIENTATION_HORIZONTAL, 12), 18, 20, 12, 20);
    GtkWidget* titles = add(header, box(GTK_ORIENTATION_VERTICAL, 3));
    add(titles, label(m_form->title(), "title"));
    GtkWidget* subtitle = add(titles, label("Goes straight to the people who build it.", "subheadline"));
    addClass(subtitle, "secondary");
    add(header, pad(spacer(GTK_ORIENTATION_HORIZONTAL), 0, 0, 0, 8));
    add(header, closeButton());
    return header;
}

GtkWidget* FeedbackView::buildCards()
{
    GtkWidget* cards = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 10);
    gtk_box_set_homogeneous(GTK_BOX(cards), TRUE);
    for (std::size_t i = 0; i < kAllFeedbackIntents.size(); ++i) {
        const FeedbackIntent intent = kAllFeedbackIntents[i];
        const auto& kind = texts(intent);
        GtkWidget* card = gtk_button_new();
        gtk_widget_set_name(card, ("card-" + std::string(kind.rawValue)).c_str());
        addClass(card, "card");
        setAccessibleName(card, std::string(kind.label));
        GtkWidget* inside = add(card, box(GTK_ORIENTATION_VERTICAL, 7));
        m_badges[i] = add(inside, kindBadge(symbolOf(intent), m_accent));
        add(inside, label(std::string(kind.shortLabel), "card-caption", 0.5));
        connectAction(card, "clicked", [this, intent] { m_form->setIntent(intent); });
        m_cards[i] = add(cards, card);
    }
    return cards;
}

GtkWidget* FeedbackView::buildEditor()
{
    GtkWidget* frame = box(GTK_ORIENTATION_VERTICAL, 0);
    addClass(frame, "field");
    GtkWidget* overlay = add(frame, gtk_overlay_new());
    GtkWidget* editor = named(gtk_text_view_new(), "message");
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(editor), GTK_WRAP_WORD_CHAR);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(editor), 17);
    gtk_text_view_set_right_margin(GTK_TEXT_VIEW(editor), 17);
    gtk_text_view_set_top_margin(GTK_TEXT_VIEW(editor), 16);
    gtk_text_view_set_bottom_margin(GTK_TEXT_VIEW(editor), 16);
    gtk_widget_set_size_request(editor, -1, 120);
    addClass(editor, "plain");
    add(overlay, editor);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor));
    connectAction(buffer, "changed", [this, buffer] { m_form->setMessage(textOf(buffer)); });
    g_signal_connect(editor, "focus-in-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer field) -> gboolean {
        setClass(GTK_WIDGET(field), "focused", true);
        return FALSE;
    }), frame);
    g_signal_connect(editor, "focus-out-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer field) -> gboolean {
        setClass(GTK_WIDGET(field), "focused", false);
        return FALSE;
    }), frame);

    m_placeholder = named(label("", "placeholder"), "placeholder");
    gtk_widget_set_halign(m_placeholder, GTK_ALIGN_START);
    gtk_widget_set_valign(m_placeholder, GTK_ALIGN_START);
    pad(m_placeholder, 16, 17, 16, 17);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), m_placeholder);
    gtk_overlay_set_overlay_pass_through(GTK_OVERLAY(overlay), m_placeholder, TRUE);
    return frame;
}

GtkWidget* FeedbackView::buildScreenshotRow()
{
    GtkWidget* row = named(pad(box(GTK_ORIENTATION_HORIZONTAL, 12), 0, 0, 0, 0), "screenshot-row");
    addClass(row, "field");
    GtkWidget* inside = add(row, pad(box(GTK_ORIENTATION_HORIZONTAL, 12), 12, 12, 12, 12));
    gtk_widget_set_hexpand(inside, TRUE);
    add(inside, thumbnailWidget(*m_form->state().screenshot));
    GtkWidget* texts = add(inside, box(GTK_ORIENTATION_VERTICAL, 2));
    gtk_widget_set_valign(texts, GTK_ALIGN_CENTER);
    GtkWidget* title = add(texts, label("Attach a snapshot of this screen", "subheadline"));
    addClass(title, "medium");
    GtkWidget* detail = add(texts, label("Helps us see exactly what you saw.", "caption"));
    addClass(detail, "secondary");
    add(inside, pad(spacer(GTK_ORIENTATION_HORIZONTAL), 0, 0, 0, 8));
    GtkWidget* toggle = add(inside, named(gtk_switch_new(), "attach"));
    gtk_widget_set_valign(toggle, GTK_ALIGN_CENTER);
    setAccessibleName(toggle, "Attach snapshot");
    gtk_switch_set_active(GTK_SWITCH(toggle), m_form->state().attachScreenshot);
    connectAction(toggle, "notify::active", [this, toggle] { m_form->setAttachScreenshot(gtk_switch_get_active(GTK_SWITCH(toggle))); });
    return row;
}

GtkWidget* FeedbackView::buildContactField()
{
    GtkWidget* field = box(GTK_ORIENTATION_HORIZONTAL, 0);
    addClass(field, "field");
    GtkWidget* inside = add(field, pad(box(GTK_ORIENTATION_HORIZONTAL, 10), 13, 14, 13, 14));
    gtk_widget_set_hexpand(inside, TRUE);
    GtkWidget* envelope = add(inside, iconImage("mail-unread-symbolic"));
    addClass(envelope, "secondary");
    m_contact = add(inside, named(gtk_entry_new(), "contact"));
    gtk_widget_set_hexpand(m_contact, TRUE);
    gtk_entry_set_has_frame(GTK_ENTRY(m_contact), FALSE);
    gtk_entry_set_input_hints(GTK_ENTRY(m_contact), GTK_INPUT_HINT_NO_SPELLCHECK);
    gtk_entry_set_input_purpose(GTK_ENTRY(m_contact), GTK_INPUT_PURPOSE_EMAIL);
    addClass(m_contact, "plain");
    gtk_entry_set_text(GTK_ENTRY(m_contact), m_form->state().contact.c_str());
    connectAction(m_contact, "changed", [this] { m_form->setContact(gtk_entry_get_text(GTK_ENTRY(m_contact))); });
    return field;
}

GtkWidget* FeedbackView::buildReward()
{
    m_reward = named(pad(box(GTK_ORIENTATION_HORIZONTAL, 8), 0, 4, 0, 4), "reward");
    gtk_widget_set_valign(m_reward, GTK_ALIGN_START);
    GtkWidget* mark = add(m_reward, pad(symbolWidget(FeedbackSymbol::dollar, 15, m_accent), 1, 0, 0, 0));
    gtk_widget_set_valign(mark, GTK_ALIGN_START);
    GtkWidget* lines = add(m_reward, box(GTK_ORIENTATION_VERTICAL, 3));
    GtkWidget* first = add(lines, label("", "footnote"));
    addClass(first, "secondary");
    gtk_label_set_markup(GTK_LABEL(first), boldMarkup(kRewardLine).c_str());
    GtkWidget* second = add(lines, named(label("", "footnote"), "credit-line"));
    addClass(second, "accent-text");
    char* link = g_markup_printf_escaped("%s<a href=\"%s\">%s</a>", std::string(kRewardCreditLine).c_str(), std::string(kStoreCreditPage).c_str(),
        std::string(kRewardLinkText).c_str());
    gtk_label_set_markup(GTK_LABEL(second), link);
    g_free(link);
    g_signal_connect(second, "activate-link", G_CALLBACK(+[](GtkLabel*, const char* uri, gpointer self) -> gboolean {
        auto* view = static_cast<FeedbackView*>(self);
        if (view->m_host.workspace)
            view->m_host.workspace->openUrl(uri);
        return TRUE;
    }), this);
    return m_reward;
}

GtkWidget* FeedbackView::buildBanner()
{
    m_banner = named(box(GTK_ORIENTATION_HORIZONTAL, 0), "error-banner");
    addClass(m_banner, "banner");
    GtkWidget* inside = add(m_banner, pad(box(GTK_ORIENTATION_HORIZONTAL, 8), 12, 12, 12, 12));
    GtkWidget* mark = add(inside, iconImage("network-wireless-no-route-symbolic"));
    addClass(mark, "warning-mark");
    m_bannerText = add(inside, label("", "footnote"));
    gtk_widget_set_no_show_all(m_banner, TRUE);
    gtk_widget_show_all(inside);
    return m_banner;
}

GtkWidget* FeedbackView::buildFooter()
{
    GtkWidget* footer = box(GTK_ORIENTATION_VERTICAL, 0);
    addClass(footer, "footer");
    GtkWidget* divider = add(footer, gtk_separator_new(GTK_ORIENTATION_HORIZONTAL));
    gtk_widget_set_opacity(divider, 0.5);
    GtkWidget* inside = add(footer, pad(box(GTK_ORIENTATION_VERTICAL, 6), 12, 20, 12, 20));
    m_send = add(inside, named(gtk_button_new(), "send"));
    addClass(m_send, "prominent");
    GtkWidget* content = add(m_send, pad(box(GTK_ORIENTATION_HORIZONTAL, 8), 4, 0, 4, 0));
    gtk_widget_set_halign(content, GTK_ALIGN_CENTER);
    m_spinner = add(content, gtk_spinner_new());
    gtk_widget_set_no_show_all(m_spinner, TRUE);
    m_sendLabel = add(content, label("Send", "semibold"));
    connectAction(m_send, "clicked", [this] { m_form->submit(); });
    m_hint = add(inside, named(label("", "footnote", 0.5), "hint"));
    addClass(m_hint, "secondary");
    gtk_widget_set_no_show_all(m_hint, TRUE);
    return footer;
}

GtkWidget* FeedbackView::buildThanks()
{
    GtkWidget* screen = box(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget* top = add(screen, pad(box(GTK_ORIENTATION_HORIZONTAL, 0), 18, 20, 0, 20));
    add(top, spacer(GTK_ORIENTATION_HORIZONTAL));
    add(top, closeButton());
    add(screen, spacer(GTK_ORIENTATION_VERTICAL));
    GtkWidget* middle = add(screen, box(GTK_ORIENTATION_VERTICAL, 18));
    m_seal = add(middle, named(sealWidget(m_accent), "seal"));
    GtkWidget* lines = add(middle, box(GTK_ORIENTATION_VERTICAL, 6));
    add(lines, label("Thank you!", "thanks", 0.5));
    m_thanksLine = add(lines, label("", "subheadline", 0.5));
    addClass(m_thanksLine, "secondary");

    GtkWidget* pill = add(middle, named(gtk_button_new(), "code-pill"));
    addClass(pill, "pill");
    gtk_widget_set_halign(pill, GTK_ALIGN_CENTER);
    GtkWidget* pillContent = add(pill, box(GTK_ORIENTATION_HORIZONTAL, 8));
    m_code = add(pillContent, named(gtk_label_new(""), "code"));
    addClass(m_code, "code");
    m_copyMark = add(pillContent, named(iconImage("edit-copy-symbolic", GTK_ICON_SIZE_MENU), "copy-mark"));
    connectAction(pill, "clicked", [this] {
        if (m_host.clipboard)
            m_form->copyCode(*m_host.clipboard);
    });
    m_next = add(middle, pad(label("", "footnote", 0.5), 0, 28, 0, 28));
    addClass(m_next, "secondary");
    add(screen, spacer(GTK_ORIENTATION_VERTICAL));

    GtkWidget* done = add(screen, pad(named(gtk_button_new(), "done"), 0, 20, 16, 20));
    addClass(done, "prominent");
    add(done, pad(label("Done", "semibold", 0.5), 4, 0, 4, 0));
    connectAction(done, "clicked", [this] {
        if (m_host.close)
            m_host.close();
    });
    return screen;
}

void FeedbackView::refresh()
{
    const auto& state = m_form->state();
    for (std::size_t i = 0; i < m_cards.size(); ++i) {
        const bool selected = kAllFeedbackIntents[i] == state.intent;
        setClass(m_cards[i], "selected", selected);
        setBadgeSelected(m_badges[i], selected);
    }
    gtk_label_set_text(GTK_LABEL(m_placeholder), std::string(m_form->editorPlaceholder()).c_str());
    gtk_widget_set_visible(m_placeholder, m_form->placeholderShown());
    gtk_entry_set_placeholder_text(GTK_ENTRY(m_contact), std::string(m_form->emailPlaceholder()).c_str());
    gtk_widget_set_visible(m_reward, m_form->rewardShown());
    gtk_label_set_text(GTK_LABEL(m_bannerText), state.errorText.value_or("").c_str());
    gtk_widget_set_visible(m_banner, state.errorText.has_value());

    gtk_widget_set_sensitive(m_send, m_form->sendEnabled());
    gtk_widget_set_visible(m_spinner, state.sending);
    if (state.sending)
        gtk_spinner_start(GTK_SPINNER(m_spinner));
    else
        gtk_spinner_stop(GTK_SPINNER(m_spinner));
    gtk_label_set_text(GTK_LABEL(m_sendLabel), state.sending ? kSendingText : "Send");
    const std::string hint(m_form->hint());
    gtk_label_set_text(GTK_LABEL(m_hint), hint.c_str());
    setAccessibleName(m_hint, "Send is unavailable. " + hint);
    gtk_widget_set_visible(m_hint, m_form->hintShown());
    if (state.code)
        refreshThanks();
}

void FeedbackView::refreshThanks()
{
    const auto& state = m_form->state();
    gtk_label_set_text(GTK_LABEL(m_code), state.code->c_str());
    setAccessibleName(gtk_widget_get_parent(gtk_widget_get_parent(m_code)), "Copy reference code " + *state.code);
    gtk_label_set_text(GTK_LABEL(m_thanksLine), m_form->thankYouLine().c_str());
    gtk_label_set_text(GTK_LABEL(m_next), m_form->whatHappensNext().c_str());
    gtk_image_set_from_icon_name(GTK_IMAGE(m_copyMark), state.copiedCode ? "object-select-symbolic" : "edit-copy-symbolic", GTK_ICON_SIZE_MENU);
    setClass(m_copyMark, "copied", state.copiedCode);
    setClass(m_copyMark, "secondary", !state.copiedCode);
    if (!state.sealShown) {
        gtk_stack_set_visible_child_name(GTK_STACK(m_root.get()), "thanks");
        enterSeal(m_seal);
        m_form->showSeal(); // draws again, with the seal shown
    }
}

}
