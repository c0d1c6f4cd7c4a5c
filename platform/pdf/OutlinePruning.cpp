// Outline items, named destinations and links when pages go or move to another document.

#include "platform/pdf/QpdfEditing.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

namespace ikw::pdf::detail {

namespace {

constexpr int kMaxOutlineDepth = 50;
constexpr int kMaxNameHops = 4;

bool isName(QPDFObjectHandle value, const std::string& name)
{
    return value.isName() && value.getName() == name;
}

// Items below an outline node in their order, read once each (a damaged outline may loop).
std::vector<QPDFObjectHandle> outlineChildren(QPDFObjectHandle node, ObjectSet& seen)
{
    std::vector<QPDFObjectHandle> children;
    for (QPDFObjectHandle item = node.getKey("/First"); item.isDictionary() && item.isIndirect(); item = item.getKey("/Next")) {
        if (!seen.insert(item.getObjGen()).second)
            break;
        children.push_back(item);
    }
    return children;
}

void linkChildren(QPDFObjectHandle node, const std::vector<QPDFObjectHandle>& children)
{
    if (children.empty()) {
        node.removeKey("/First");
        node.removeKey("/Last");
        return;
    }
    node.replaceKey("/First", children.front());
    node.replaceKey("/Last", children.back());
    for (std::size_t index = 0; index < children.size(); ++index) {
        QPDFObjectHandle item = children[index];
        item.replaceKey("/Parent", node);
        if (index > 0)
            item.replaceKey("/Prev", children[index - 1]);
        else
            item.removeKey("/Prev");
        if (index + 1 < children.size())
            item.replaceKey("/Next", children[index + 1]);
        else
            item.removeKey("/Next");
    }
}

class OutlinePruner {
public:
    OutlinePruner(QPDF& document, const ObjectSet& removedPages) : m_destinations(document), m_removed(removedPages) { }

    // Drops the items below `node` that lead to a removed page, deepest first.
    void prune(QPDFObjectHandle node, int depth)
    {
        std::vector<QPDFObjectHandle> kept;
        for (QPDFObjectHandle item : outlineChildren(node, m_seen)) {
            if (depth < kMaxOutlineDepth)
                prune(item, depth + 1);
            const bool hasChildren = item.getKey("/First").isDictionary();
            if (leadsToRemovedPage(item)) {
                if (!hasChildren)
                    continue;
                item.removeKey("/Dest");
                item.removeKey("/A");
            }
            kept.push_back(item);
        }
        linkChildren(node, kept);
    }

    // Writes each item's /Count: how many items show below it, negative while it is closed.
    void setCounts(QPDFObjectHandle node, int visibleBelow, bool isRoot)
    {
        if (isRoot) {
            node.replaceKey("/Count", QPDFObjectHandle::newInteger(visibleBelow));
            return;
        }
        if (!node.getKey("/First").isDictionary()) {
            node.removeKey("/Count");
            return;
        }
        node.replaceKey("/Count", QPDFObjectHandle::newInteger(isOpen(node) ? visibleBelow : -visibleBelow));
    }

    // A second walk that counts, now that every level is pruned.
    int recount(QPDFObjectHandle node, int depth, bool isRoot, ObjectSet& seen)
    {
        int visible = 0;
        for (QPDFObjectHandle item : outlineChildren(node, seen)) {
            const int below = depth < kMaxOutlineDepth ? recount(item, depth + 1, false, seen) : 0;
            visible += 1 + (isOpen(item) ? below : 0);
        }
        setCounts(node, visible, isRoot);
        return visible;
    }

private:
    bool leadsToRemovedPage(QPDFObjectHandle item)
    {
        const auto page = m_destinations.pageOf(destinationOf(item));
        return page && m_removed.contains(*page);
    }

    static bool isOpen(QPDFObjectHandle item)
    {
        QPDFObjectHandle count = item.getKey("/Count");
        return count.isInteger() && count.getIntValue() > 0;
    }

    Destinations m_destinations;
    const ObjectSet& m_removed;
    ObjectSet m_seen;
};

}

QPDFObjectHandle Destinations::explicitDestination(QPDFObjectHandle destination)
{
    for (int hop = 0; hop < kMaxNameHops; ++hop) {
        if (destination.isArray())
            return destination;
        if (destination.isName() || destination.isString())
            destination = m_outlines.resolveNamedDest(destination);
        else if (destination.isDictionary())
            destination = destination.getKey("/D");
        else
            break;
    }
    return QPDFObjectHandle::newNull();
}

std::optional<QPDFObjGen> Destinations::pageOf(QPDFObjectHandle destination)
{
    QPDFObjectHandle explicitOne = explicitDestination(destination);
    if (!explicitOne.isArray() || explicitOne.getArrayNItems() == 0)
        return std::nullopt;
    QPDFObjectHandle page = explicitOne.getArrayItem(0);
    if (!page.isIndirect())
        return std::nullopt;
    return page.getObjGen();
}

QPDFObjectHandle destinationOf(QPDFObjectHandle item)
{
    QPDFObjectHandle destination = item.getKey("/Dest");
    if (!destination.isNull())
        return destination;
    QPDFObjectHandle action = item.getKey("/A");
    if (action.isDictionary() && isName(action.getKey("/S"), "/GoTo"))
        return action.getKey("/D");
    return QPDFObjectHandle::newNull();
}

void pruneOutline(QPDF& document, const ObjectSet& removedPages)
{
    QPDFObjectHandle root = document.getRoot().getKey("/Outlines");
    if (!root.isDictionary())
        return;
    OutlinePruner pruner(document, removedPages);
    pruner.prune(root, 0);
    ObjectSet seen;
    pruner.recount(root, 0, true, seen);
}

void pruneNamedDestinations(QPDF& document, const ObjectSet& removedPages)
{
    Destinations destinations(document);
    const auto leadsToRemovedPage = [&](QPDFObjectHandle destination) {
        const auto page = destinations.pageOf(destination);
        return page && removedPages.contains(*page);
    };
    QPDFObjectHandle catalog = document.getRoot();
    QPDFObjectHandle dictionary = catalog.getKey("/Dests");
    if (dictionary.isDictionary()) {
        for (const std::string& name : dictionary.getKeys()) {
            if (leadsToRemovedPage(dictionary.getKey(name)))
                dictionary.removeKey(name);
        }
    }
    QPDFObjectHandle names = catalog.getKey("/Names");
    QPDFObjectHandle tree = names.isDictionary() ? names.getKey("/Dests") : QPDFObjectHandle::newNull();
    if (!tree.isDictionary())
        return;
    QPDFNameTreeObjectHelper helper(tree, document);
    std::vector<std::string> gone;
    for (const auto& [name, destination] : helper) {
        if (leadsToRemovedPage(destination))
            gone.push_back(name);
    }
    for (const std::string& name : gone)
        helper.remove(name);
}

void resolveNamedLinks(QPDF& document, std::span<const QPDFObjectHandle> pages)
{
    Destinations destinations(document);
    for (QPDFObjectHandle page : pages) {
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            continue;
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            if (!annotation.isDictionary())
                continue;
            QPDFObjectHandle action = annotation.getKey("/A");
            const bool inAction = annotation.getKey("/Dest").isNull() && action.isDictionary() && isName(action.getKey("/S"), "/GoTo");
            QPDFObjectHandle holder = inAction ? action : annotation;
            const std::string key = inAction ? "/D" : "/Dest";
            QPDFObjectHandle destination = holder.getKey(key);
            if (!destination.isName() && !destination.isString())
                continue;
            QPDFObjectHandle resolved = destinations.explicitDestination(destination);
            if (resolved.isArray())
                holder.replaceKey(key, resolved.shallowCopy());
        }
    }
}

}
