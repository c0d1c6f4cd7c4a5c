// Keeping a form's field tree in step with the widgets that are on pages.

#include "platform/pdf/QpdfEditing.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>

#include <functional>

namespace ikw::pdf::detail {

namespace {

constexpr int kMaxFieldDepth = 100;

bool isWidget(QPDFObjectHandle node)
{
    QPDFObjectHandle subtype = node.getKey("/Subtype");
    return subtype.isName() && subtype.getName() == "/Widget";
}

// Calls `visit` for every node of the field trees below `roots` (roots included), once each.
void forEachFieldNode(std::span<const QPDFObjectHandle> roots, const std::function<void(QPDFObjectHandle)>& visit)
{
    ObjectSet seen;
    std::vector<std::pair<QPDFObjectHandle, int>> pending;
    for (QPDFObjectHandle root : roots)
        pending.emplace_back(root, 0);
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (!node.isDictionary() || (node.isIndirect() && !seen.insert(node.getObjGen()).second))
            continue;
        visit(node);
        QPDFObjectHandle kids = node.getKey("/Kids");
        if (depth < kMaxFieldDepth && kids.isArray()) {
            for (QPDFObjectHandle kid : kids.aitems())
                pending.emplace_back(kid, depth + 1);
        }
    }
}

// Drops dead widgets below `node`, and kids left with nothing below them; whether the node stays.
bool keepField(QPDFObjectHandle node, const ObjectSet& deadWidgets, ObjectSet& removed, ObjectSet& seen, int depth)
{
    if (!node.isDictionary())
        return true;
    if (node.isIndirect()) {
        if (deadWidgets.contains(node.getObjGen())) {
            removed.insert(node.getObjGen());
            return false;
        }
        if (!seen.insert(node.getObjGen()).second)
            return true;
    }
    QPDFObjectHandle kids = node.getKey("/Kids");
    if (!kids.isArray() || depth >= kMaxFieldDepth)
        return true;
    std::vector<QPDFObjectHandle> kept;
    for (QPDFObjectHandle kid : kids.aitems()) {
        if (keepField(kid, deadWidgets, removed, seen, depth + 1))
            kept.push_back(kid);
    }
    if (static_cast<int>(kept.size()) == kids.getArrayNItems())
        return true;
    if (kept.empty()) {
        if (node.isIndirect())
            removed.insert(node.getObjGen());
        return false;
    }
    node.replaceKey("/Kids", QPDFObjectHandle::newArray(kept));
    return true;
}

// The array without the removed objects; whether anything went.
bool removeFrom(QPDFObjectHandle array, const ObjectSet& removed)
{
    std::vector<QPDFObjectHandle> kept;
    for (QPDFObjectHandle item : array.aitems()) {
        if (!item.isIndirect() || !removed.contains(item.getObjGen()))
            kept.push_back(item);
    }
    if (static_cast<int>(kept.size()) == array.getArrayNItems())
        return false;
    array.setArrayFromVector(kept);
    return true;
}

}

ObjectSet widgetsOn(std::span<const QPDFObjectHandle> pages)
{
    ObjectSet widgets;
    for (QPDFObjectHandle page : pages) {
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            continue;
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            if (annotation.isIndirect() && isWidget(annotation))
                widgets.insert(annotation.getObjGen());
        }
    }
    return widgets;
}

void pruneFormFields(QPDF& document, const ObjectSet& deadWidgets)
{
    if (deadWidgets.empty())
        return;
    QPDFObjectHandle form = document.getRoot().getKey("/AcroForm");
    QPDFObjectHandle fields = form.isDictionary() ? form.getKey("/Fields") : QPDFObjectHandle::newNull();
    if (!fields.isArray())
        return;
    ObjectSet removed;
    ObjectSet seen;
    std::vector<QPDFObjectHandle> kept;
    for (QPDFObjectHandle field : fields.aitems()) {
        if (keepField(field, deadWidgets, removed, seen, 0))
            kept.push_back(field);
    }
    if (removed.empty())
        return;
    fields.setArrayFromVector(kept);
    QPDFObjectHandle order = form.getKey("/CO");
    if (order.isArray())
        removeFrom(order, removed);
}

ObjectSet unplacedWidgets(std::span<const QPDFObjectHandle> fields, const ObjectSet& placed)
{
    ObjectSet unplaced;
    forEachFieldNode(fields, [&](QPDFObjectHandle node) {
        if (node.isIndirect() && isWidget(node) && !placed.contains(node.getObjGen()))
            unplaced.insert(node.getObjGen());
    });
    return unplaced;
}

void dropSignatureValues(std::span<const QPDFObjectHandle> fields)
{
    forEachFieldNode(fields, [](QPDFObjectHandle node) {
        if (QPDFFormFieldObjectHelper(node).getFieldType() == "/Sig")
            node.removeKey("/V");
    });
}

bool hasSignatureValue(QPDF& document)
{
    if (!document.getRoot().getKey("/AcroForm").isDictionary())
        return false;
    QPDFAcroFormDocumentHelper forms(document);
    for (QPDFFormFieldObjectHelper field : forms.getFormFields()) {
        if (field.getFieldType() == "/Sig" && field.getValue().isDictionary())
            return true;
    }
    return false;
}

}
