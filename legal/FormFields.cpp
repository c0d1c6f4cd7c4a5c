#include "legal/FormFields.h"

#include <map>

namespace ikw::legal {

std::string_view formKind(pdf::WidgetType type)
{
    using Type = pdf::WidgetType;
    switch (type) {
    case Type::ComboBox:
    case Type::ListBox: return "choice";
    case Type::Signature: return "sig";
    case Type::RadioButton: return "radio";
    case Type::PushButton: return "button";
    case Type::CheckBox: return "check";
    case Type::Text:
    case Type::Unknown: return "text";
    }
    return "text";
}

bool isFillableKind(std::string_view kind)
{
    return kind == "text" || kind == "choice" || kind == "check" || kind == "radio";
}

std::vector<FormField> formFields(const std::vector<pdf::FormWidget>& widgets)
{
    std::vector<FormField> fields;
    std::map<std::string, std::size_t> positions;
    for (const auto& widget : widgets) {
        if (widget.name.empty())
            continue;
        const std::string kind(formKind(widget.type));
        const auto seen = positions.find(widget.name);
        if (seen != positions.end()) {
            if (widget.type == pdf::WidgetType::RadioButton && !widget.value.empty())
                fields[seen->second].value = widget.value;
            continue;
        }
        positions.emplace(widget.name, fields.size());
        FormField field { widget.name, kind, widget.page + 1, {}, std::nullopt };
        if (kind != "sig" && kind != "button")
            field.value = widget.value;
        if (kind == "choice")
            field.options = widget.options;
        fields.push_back(std::move(field));
    }
    return fields;
}

std::vector<FormField> formFields(const pdf::Document& document)
{
    return formFields(pdf::formWidgets(document));
}

int filledCount(const std::vector<FormField>& fields)
{
    int filled = 0;
    for (const auto& field : fields)
        filled += isFillableKind(field.kind) && !field.value.empty() ? 1 : 0;
    return filled;
}

Json formSummary(const std::string& path)
{
    const auto document = pdf::Document::openFile(path);
    if (!document)
        return Json { { "ok", false } };
    const auto fields = formFields(*document);
    Json byKind = Json::object();
    int count = 0;
    for (const auto& field : fields) {
        byKind[field.kind] = byKind.value(field.kind, 0) + 1;
        count += isFillableKind(field.kind) ? 1 : 0;
    }
    return Json {
        { "ok", true },
        { "isForm", count > 0 },
        { "count", count },
        { "total", static_cast<int>(fields.size()) },
        { "byKind", byKind },
    };
}

}
