// Copying pages with what belongs to them: annotations, links between the copied pages and form
// fields.

#include "platform/pdf/QpdfEditing.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFMatrix.hh>

#include <map>
#include <stdexcept>

namespace ikw::pdf::detail {

namespace {

bool hasSubtype(QPDFObjectHandle annotation, const std::string& subtype)
{
    QPDFObjectHandle value = annotation.getKey("/Subtype");
    return value.isName() && value.getName() == subtype;
}

// Keys that tie a page to its own document's page tree, article threads and structure tree.
void detachFromSourceStructure(QPDFObjectHandle page)
{
    page.removeKey("/B");
    page.removeKey("/StructParents");
}

// While a foreign page is copied, its annotations and parent are taken off, so that the copy does
// not drag them along before every page they may link to has its copy.
class DetachedPages {
public:
    explicit DetachedPages(std::span<const QPDFObjectHandle> pages)
    {
        for (QPDFObjectHandle page : pages) {
            if (!m_saved.emplace(page.getObjGen(), Saved { page, page.getKey("/Annots"), page.getKey("/Parent") }).second)
                continue;
            page.removeKey("/Annots");
            page.removeKey("/Parent");
        }
    }
    DetachedPages(const DetachedPages&) = delete;
    DetachedPages& operator=(const DetachedPages&) = delete;
    ~DetachedPages()
    {
        for (auto& [objGen, saved] : m_saved) {
            restore(saved.page, "/Annots", saved.annotations);
            restore(saved.page, "/Parent", saved.parent);
        }
    }

private:
    struct Saved {
        QPDFObjectHandle page;
        QPDFObjectHandle annotations;
        QPDFObjectHandle parent;
    };
    static void restore(QPDFObjectHandle page, const std::string& key, QPDFObjectHandle value)
    {
        if (!value.isNull())
            page.replaceKey(key, value);
    }
    std::map<QPDFObjGen, Saved> m_saved;
};

// The page objects themselves, without annotations; a page listed again gets a copy of its own.
std::vector<QPDFObjectHandle> copyPageObjects(QPDF& target, std::span<const QPDFObjectHandle> pages, bool foreign)
{
    std::vector<QPDFObjectHandle> copies;
    std::map<QPDFObjGen, QPDFObjectHandle> firstCopies;
    for (QPDFObjectHandle page : pages) {
        const auto first = firstCopies.find(page.getObjGen());
        QPDFObjectHandle copy;
        if (foreign && first == firstCopies.end()) {
            copy = target.copyForeignObject(page);
            detachFromSourceStructure(copy);
            firstCopies.emplace(page.getObjGen(), copy);
        } else {
            QPDFObjectHandle base = foreign ? first->second : page;
            copy = target.makeIndirectObject(base.shallowCopy());
            copy.removeKey("/Annots");
            detachFromSourceStructure(copy);
        }
        copies.push_back(copy);
    }
    return copies;
}

// Annotations that point at each other (a note's pop-up, a reply's note) point at the copies.
void relinkAnnotations(std::span<const QPDFObjectHandle> originals, std::span<QPDFObjectHandle> copies)
{
    std::map<QPDFObjGen, QPDFObjectHandle> copyOf;
    for (std::size_t index = 0; index < originals.size(); ++index) {
        QPDFObjectHandle original = originals[index];
        if (original.isIndirect())
            copyOf.emplace(original.getObjGen(), copies[index]);
    }
    for (std::size_t index = 0; index < originals.size(); ++index) {
        QPDFObjectHandle original = originals[index];
        std::vector<std::string> keys { "/Popup", "/IRT" };
        if (hasSubtype(original, "/Popup"))
            keys.push_back("/Parent");
        for (const std::string& key : keys) {
            QPDFObjectHandle target = original.getKey(key);
            if (!target.isIndirect())
                continue;
            const auto found = copyOf.find(target.getObjGen());
            if (found != copyOf.end())
                copies[index].replaceKey(key, found->second);
        }
    }
}

// One pass of annotation copies for pages that each occur once in it, so that a field with
// widgets on several of them stays one field.
void copyAnnotations(QPDFAcroFormDocumentHelper& targetForms, QPDF* foreignSource, QPDFAcroFormDocumentHelper* sourceForms,
    std::span<const QPDFObjectHandle> pages, std::span<QPDFObjectHandle> copies, std::vector<QPDFObjectHandle>& newFields)
{
    std::vector<QPDFObjectHandle> originals;
    std::vector<std::size_t> counts;
    for (QPDFObjectHandle page : pages) {
        std::size_t count = 0;
        QPDFObjectHandle annotations = page.getKey("/Annots");
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            // Streams and other malformed entries are no annotations and stay behind.
            if (annotation.isDictionary()) {
                originals.push_back(annotation);
                ++count;
            }
        }
        counts.push_back(count);
    }
    if (originals.empty())
        return;
    std::vector<QPDFObjectHandle> annotationCopies;
    std::vector<QPDFObjectHandle> fields;
    std::set<QPDFObjGen> originalFields;
    targetForms.transformAnnotations(QPDFObjectHandle::newArray(originals), annotationCopies, fields, originalFields, QPDFMatrix(),
        foreignSource, sourceForms);
    if (annotationCopies.size() != originals.size())
        throw std::runtime_error("annotations could not be copied one for one");
    relinkAnnotations(originals, annotationCopies);

    std::size_t next = 0;
    for (std::size_t index = 0; index < copies.size(); ++index) {
        std::vector<QPDFObjectHandle> own(annotationCopies.begin() + static_cast<std::ptrdiff_t>(next),
            annotationCopies.begin() + static_cast<std::ptrdiff_t>(next + counts[index]));
        next += counts[index];
        for (QPDFObjectHandle& annotation : own) {
            annotation.replaceKey("/P", copies[index]);
            annotation.removeKey("/StructParent");
        }
        if (!own.empty())
            copies[index].replaceKey("/Annots", QPDFObjectHandle::newArray(own));
    }
    dropSignatureValues(fields);
    targetForms.addAndRenameFormFields(fields);
    newFields.insert(newFields.end(), fields.begin(), fields.end());
}

}

std::vector<QPDFObjectHandle> copyPages(QPDF& target, QPDF& source, std::span<const int> indexes, std::vector<QPDFObjectHandle>& newFields)
{
    if (indexes.empty())
        return {};
    const bool foreign = &target != &source;
    source.pushInheritedAttributesToPage();
    const std::vector<QPDFObjectHandle> sourcePages = source.getAllPages();
    std::vector<QPDFObjectHandle> pages;
    for (const int index : indexes) {
        if (index < 0 || static_cast<std::size_t>(index) >= sourcePages.size())
            throw std::out_of_range("no such page to copy");
        pages.push_back(sourcePages[static_cast<std::size_t>(index)]);
    }

    QPDFAcroFormDocumentHelper sourceForms(source);
    std::optional<QPDFAcroFormDocumentHelper> foreignTargetForms;
    if (foreign) {
        foreignTargetForms.emplace(target);
        resolveNamedLinks(source, pages);
        // The form is read while every widget still sits on its page.
        sourceForms.getFormFields();
    }
    QPDFAcroFormDocumentHelper& targetForms = foreign ? *foreignTargetForms : sourceForms;

    std::vector<QPDFObjectHandle> copies;
    {
        const DetachedPages detached(foreign ? std::span<const QPDFObjectHandle>(pages) : std::span<const QPDFObjectHandle>());
        copies = copyPageObjects(target, pages, foreign);
    }

    // A page listed n times takes part in n passes, one copy in each.
    std::map<QPDFObjGen, std::size_t> occurrences;
    std::vector<std::size_t> passOf;
    std::size_t passes = 0;
    for (QPDFObjectHandle page : pages) {
        passOf.push_back(occurrences[page.getObjGen()]++);
        passes = std::max(passes, passOf.back() + 1);
    }
    for (std::size_t pass = 0; pass < passes; ++pass) {
        std::vector<QPDFObjectHandle> passPages;
        std::vector<QPDFObjectHandle> passCopies;
        for (std::size_t index = 0; index < pages.size(); ++index) {
            if (passOf[index] == pass) {
                passPages.push_back(pages[index]);
                passCopies.push_back(copies[index]);
            }
        }
        copyAnnotations(targetForms, foreign ? &source : nullptr, foreign ? &sourceForms : nullptr, passPages, passCopies, newFields);
    }
    return copies;
}

}
