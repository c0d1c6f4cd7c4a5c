#include "platform/pdf/EditableDocument.h"

#include "platform/pdf/QpdfEditing.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace ikw::pdf {

using namespace detail;

struct EditableDocument::Impl {
    // What the document was read from: qpdf reads it in place, and an incremental update goes
    // behind it. Empty for a new document.
    std::shared_ptr<const std::string> bytes;
    // A new document's protection comes from the file it took its first pages from.
    std::shared_ptr<const std::string> protectionSource;
    std::string minimumVersion = "1.4";
    bool wasSigned = false;
    QPDF qpdf;

    Impl()
    {
        qpdf.setSuppressWarnings(true);
        // Pages copied out of this document then carry their data with them.
        qpdf.setImmediateCopyFrom(true);
    }

    QPDFObjectHandle page(int index)
    {
        const std::vector<QPDFObjectHandle>& pages = qpdf.getAllPages();
        if (index < 0 || static_cast<std::size_t>(index) >= pages.size())
            return QPDFObjectHandle::newNull();
        return pages[static_cast<std::size_t>(index)];
    }
};

namespace {

int normalisedRotation(long long degrees)
{
    const long long turned = ((degrees % 360) + 360) % 360;
    return static_cast<int>(turned - turned % 90);
}

// Whether the picks keep every page in its place and only turn some.
bool keepsPageOrder(std::span<const PagePick> picks, int pageCount)
{
    if (static_cast<int>(picks.size()) != pageCount)
        return false;
    for (std::size_t index = 0; index < picks.size(); ++index) {
        if (picks[index].source != PagePick::Source::Document || picks[index].index != static_cast<int>(index))
            return false;
    }
    return true;
}

bool picksAreValid(std::span<const PagePick> picks, int pageCount, int insertedCount)
{
    for (const PagePick& pick : picks) {
        if (pick.source == PagePick::Source::Document && (pick.index < 0 || pick.index >= pageCount))
            return false;
        if (pick.source == PagePick::Source::Inserted && (pick.index < 0 || pick.index >= insertedCount))
            return false;
        if (pick.rotation && *pick.rotation % 90 != 0)
            return false;
    }
    return true;
}

void setRotation(QPDFObjectHandle page, const std::optional<int>& rotation)
{
    if (rotation)
        page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(normalisedRotation(*rotation)));
}

std::unique_ptr<QPDF> openProtectionSource(const std::string& bytes)
{
    auto source = std::make_unique<QPDF>();
    source->setSuppressWarnings(true);
    source->processMemoryFile("protection source", bytes.data(), bytes.size());
    return source;
}

}

EditableDocument::EditableDocument(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) { }
EditableDocument::EditableDocument(EditableDocument&&) noexcept = default;
EditableDocument& EditableDocument::operator=(EditableDocument&&) noexcept = default;
EditableDocument::~EditableDocument() = default;

std::optional<EditableDocument> EditableDocument::open(const std::string& path)
{
    // Only regular files: reading a FIFO or a device would never end.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return std::nullopt;
    return fromBytes(std::move(bytes));
}

std::optional<EditableDocument> EditableDocument::fromBytes(std::string bytes)
{
    return fromSharedBytes(std::make_shared<const std::string>(std::move(bytes)));
}

std::optional<EditableDocument> EditableDocument::reread() const
{
    if (!m_impl->bytes)
        return std::nullopt;
    return fromSharedBytes(m_impl->bytes);
}

std::optional<EditableDocument> EditableDocument::fromSharedBytes(std::shared_ptr<const std::string> bytes)
{
    try {
        auto impl = std::make_unique<Impl>();
        impl->bytes = std::move(bytes);
        impl->qpdf.processMemoryFile("PDF", impl->bytes->data(), impl->bytes->size());
        impl->qpdf.getAllPages();
        impl->minimumVersion = impl->qpdf.getPDFVersion();
        impl->wasSigned = hasSignatureValue(impl->qpdf);
        return EditableDocument(std::move(impl));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<EditableDocument> EditableDocument::compose(std::span<const PageSelection> selections)
{
    try {
        auto impl = std::make_unique<Impl>();
        impl->qpdf.emptyPDF();
        std::vector<QPDFObjectHandle> pages;
        std::vector<QPDFObjectHandle> fields;
        for (const PageSelection& selection : selections) {
            if (!selection.document)
                return std::nullopt;
            Impl& source = *selection.document->m_impl;
            const auto copies = copyPages(impl->qpdf, source.qpdf, selection.indexes, fields);
            pages.insert(pages.end(), copies.begin(), copies.end());
            if (source.qpdf.getPDFVersion() > impl->minimumVersion)
                impl->minimumVersion = source.qpdf.getPDFVersion();
        }
        setPageTree(impl->qpdf, pages);
        pruneFormFields(impl->qpdf, unplacedWidgets(fields, widgetsOn(pages)));
        if (!selections.empty()) {
            const Impl& first = *selections.front().document->m_impl;
            impl->protectionSource = first.qpdf.isEncrypted() ? first.bytes : first.protectionSource;
        }
        return EditableDocument(std::move(impl));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

int EditableDocument::pageCount() const
{
    return static_cast<int>(m_impl->qpdf.getAllPages().size());
}

int EditableDocument::pageRotation(int index) const
{
    QPDFObjectHandle page = m_impl->page(index);
    if (page.isNull())
        return 0;
    QPDFObjectHandle rotate = QPDFPageObjectHelper(page).getAttribute("/Rotate", false);
    return rotate.isInteger() ? normalisedRotation(rotate.getIntValue()) : 0;
}

std::optional<Rect> EditableDocument::mediaBox(int index) const
{
    QPDFObjectHandle page = m_impl->page(index);
    if (page.isNull())
        return std::nullopt;
    QPDFObjectHandle box = QPDFPageObjectHelper(page).getMediaBox();
    if (!box.isRectangle())
        return std::nullopt;
    const auto rectangle = box.getArrayAsRectangle();
    return Rect { rectangle.llx, rectangle.lly, rectangle.urx, rectangle.ury };
}

bool EditableDocument::isEncrypted() const
{
    return m_impl->qpdf.isEncrypted();
}

bool EditableDocument::isSigned() const
{
    return m_impl->wasSigned;
}

bool EditableDocument::rearrange(std::span<const PagePick> picks, EditableDocument* inserted)
{
    try {
        QPDF& document = m_impl->qpdf;
        document.pushInheritedAttributesToPage();
        const std::vector<QPDFObjectHandle> before = document.getAllPages();
        const int count = static_cast<int>(before.size());
        if (!picksAreValid(picks, count, inserted ? inserted->pageCount() : 0))
            return false;
        if (keepsPageOrder(picks, count)) {
            for (std::size_t index = 0; index < picks.size(); ++index)
                setRotation(before[index], picks[index].rotation);
            return true;
        }

        // Copies first: pages of the inserted document, and pages picked more than once.
        std::vector<int> insertedIndexes;
        std::vector<int> repeatedIndexes;
        std::vector<bool> picked(before.size());
        for (const PagePick& pick : picks) {
            if (pick.source == PagePick::Source::Inserted)
                insertedIndexes.push_back(pick.index);
            if (pick.source == PagePick::Source::Document) {
                if (picked[static_cast<std::size_t>(pick.index)])
                    repeatedIndexes.push_back(pick.index);
                picked[static_cast<std::size_t>(pick.index)] = true;
            }
        }
        std::vector<QPDFObjectHandle> newFields;
        const auto insertedCopies = insertedIndexes.empty() ? std::vector<QPDFObjectHandle> {}
                                                            : copyPages(document, inserted->m_impl->qpdf, insertedIndexes, newFields);
        const auto repeatedCopies = copyPages(document, document, repeatedIndexes, newFields);

        std::vector<QPDFObjectHandle> after;
        std::vector<int> origins;
        std::vector<bool> placed(before.size());
        std::size_t nextInserted = 0;
        std::size_t nextRepeated = 0;
        for (const PagePick& pick : picks) {
            QPDFObjectHandle page;
            int origin = -1;
            switch (pick.source) {
            case PagePick::Source::Document: {
                const auto index = static_cast<std::size_t>(pick.index);
                page = placed[index] ? repeatedCopies[nextRepeated++] : before[index];
                placed[index] = true;
                origin = pick.index;
                break;
            }
            case PagePick::Source::Blank:
                page = newBlankPage(document, { pick.mediaBox.x0, pick.mediaBox.y0, pick.mediaBox.x1, pick.mediaBox.y1 });
                break;
            case PagePick::Source::Inserted:
                page = insertedCopies[nextInserted++];
                break;
            }
            setRotation(page, pick.rotation);
            after.push_back(page);
            origins.push_back(origin);
        }

        ObjectSet removed;
        std::vector<QPDFObjectHandle> removedPages;
        for (std::size_t index = 0; index < before.size(); ++index) {
            if (!placed[index]) {
                removed.insert(before[index].getObjGen());
                removedPages.push_back(before[index]);
            }
        }
        setPageTree(document, after);
        renumberPageLabels(document, origins);
        const ObjectSet onPages = widgetsOn(after);
        ObjectSet deadWidgets = unplacedWidgets(newFields, onPages);
        if (!removed.empty()) {
            pruneOutline(document, removed);
            pruneNamedDestinations(document, removed);
            for (const QPDFObjGen& widget : widgetsOn(removedPages)) {
                if (!onPages.contains(widget))
                    deadWidgets.insert(widget);
            }
        }
        pruneFormFields(document, deadWidgets);
        // Nothing may keep a removed page in the file: whatever still leads to one (a link, the
        // structure tree) now leads nowhere.
        for (const QPDFObjGen& page : removed)
            document.replaceObject(page, QPDFObjectHandle::newNull());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::optional<std::string> EditableDocument::toBytes() const
{
    try {
        QPDF& document = m_impl->qpdf;
        if (m_impl->wasSigned && m_impl->bytes)
            return incrementalUpdate(*m_impl->bytes, document);
        std::unique_ptr<QPDF> protection;
        QPDFWriter writer(document);
        writer.setOutputMemory();
        // Streams go out as they came in; object streams stay where they were.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.setObjectStreamMode(qpdf_o_preserve);
        writer.setMinimumPDFVersion(m_impl->minimumVersion);
        if (m_impl->protectionSource) {
            protection = openProtectionSource(*m_impl->protectionSource);
            writer.copyEncryptionParameters(*protection);
        }
        writer.write();
        const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}
