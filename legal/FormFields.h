#pragma once

#include "platform/core/Json.h"
#include "platform/pdf/FormWidgets.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::legal {

// One form field as the reader page learns of it.
struct FormField {
    std::string name;
    std::string kind;  // "text", "choice", "sig", "radio", "button" or "check"
    int page = 1;      // 1-based: the page of its first widget
    std::string value; // text and choice: the value; check and radio: the on state; else empty
    std::optional<std::vector<std::string>> options; // choice fields only
    bool operator==(const FormField&) const = default;
};

// The kind word of a widget type.
std::string_view formKind(pdf::WidgetType type);
// "text", "choice", "check" and "radio": the kinds a user fills in.
bool isFillableKind(std::string_view kind);

// One field per name, in the order of their first widgets. A field's kind, page and options come
// from its first widget; of the later ones only a radio button that is on changes anything (the
// field's value becomes its state). Widgets without a name are left out.
std::vector<FormField> formFields(const std::vector<pdf::FormWidget>& widgets);
std::vector<FormField> formFields(const pdf::Document& document);
// The fillable fields that hold a value.
int filledCount(const std::vector<FormField>& fields);
// {"ok", "isForm", "count", "total", "byKind"} of the PDF at the path; {"ok": false} when it does
// not open. Opens its own document, so it may run on any thread.
Json formSummary(const std::string& path);

}
