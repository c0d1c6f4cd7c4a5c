#include "platform/pdf/FormWidgets.h"

#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"

#include <cstring>

namespace ikw::pdf {

using namespace detail;

namespace {

WidgetType typeOf(int type)
{
    switch (type) {
    case PDF_WIDGET_TYPE_TEXT: return WidgetType::Text;
    case PDF_WIDGET_TYPE_COMBOBOX: return WidgetType::ComboBox;
    case PDF_WIDGET_TYPE_LISTBOX: return WidgetType::ListBox;
    case PDF_WIDGET_TYPE_SIGNATURE: return WidgetType::Signature;
    case PDF_WIDGET_TYPE_RADIOBUTTON: return WidgetType::RadioButton;
    case PDF_WIDGET_TYPE_BUTTON: return WidgetType::PushButton;
    case PDF_WIDGET_TYPE_CHECKBOX: return WidgetType::CheckBox;
    default: return WidgetType::Unknown;
    }
}

bool isButton(WidgetType type)
{
    return type == WidgetType::RadioButton || type == WidgetType::CheckBox || type == WidgetType::PushButton;
}

bool isChoice(WidgetType type)
{
    return type == WidgetType::ComboBox || type == WidgetType::ListBox;
}

// Throws MuPDF errors.
FormWidget readWidget(fz_context* context, pdf_annot* widget, int page)
{
    pdf_obj* field = pdf_annot_obj(context, widget);
    FormWidget read;
    read.page = page;
    read.type = typeOf(pdf_widget_type(context, widget));
    char* name = pdf_field_name(context, field);
    read.name = name ? name : "";
    fz_free(context, name);
    if (isButton(read.type)) {
        const char* state = pdf_to_name(context, pdf_dict_get(context, field, PDF_NAME(AS)));
        if (state && *state && std::strcmp(state, "Off") != 0)
            read.value = state;
    } else {
        const char* value = pdf_field_value(context, field);
        read.value = value ? value : "";
    }
    if (isChoice(read.type)) {
        const int count = pdf_choice_widget_options(context, widget, 0, nullptr);
        std::vector<const char*> options(static_cast<std::size_t>(std::max(count, 0)));
        if (count > 0)
            pdf_choice_widget_options(context, widget, 0, options.data());
        for (const char* option : options)
            read.options.emplace_back(option ? option : "");
    }
    return read;
}

}

std::vector<FormWidget> formWidgets(const Document& document)
{
    const DocumentLock lock(documentMutex());
    fz_context* context = threadContext();
    std::vector<FormWidget> widgets;
    for (int index = 0; index < document.pageCount(); ++index) {
        std::vector<FormWidget> onPage;
        OwnedPage page;
        fz_try(context)
        {
            page.reset(reinterpret_cast<fz_page*>(pdf_load_page(context, document.raw(), index)));
            for (pdf_annot* widget = pdf_first_widget(context, reinterpret_cast<pdf_page*>(page.get())); widget;
                 widget = pdf_next_widget(context, widget))
                onPage.push_back(readWidget(context, widget, index));
        }
        fz_catch(context)
        {
            continue;
        }
        widgets.insert(widgets.end(), onPage.begin(), onPage.end());
    }
    return widgets;
}

}
