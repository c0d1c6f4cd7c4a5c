#pragma once

#include "platform/pdf/Document.h"

#include <string>
#include <vector>

namespace ikw::pdf {

enum class WidgetType { Unknown, Text, ComboBox, ListBox, Signature, RadioButton, PushButton, CheckBox };

// A form widget as its page lists it. Reading only: nothing here changes a field.
struct FormWidget {
    int page = 0;                     // 0-based
    WidgetType type = WidgetType::Unknown;
    std::string name;                 // the fully qualified field name (kids of one field share it)
    // Text and choice fields: the field's value. Buttons: the widget's appearance state when it is
    // on (not "Off"), else empty.
    std::string value;
    std::vector<std::string> options; // combo and list boxes: the choices in their order
    bool operator==(const FormWidget&) const = default;
};

// Every widget of the document, page by page, each page's in its /Annots order. A page that cannot
// be read adds none.
std::vector<FormWidget> formWidgets(const Document& document);

}
