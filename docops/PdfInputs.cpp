#include "docops/PdfInputs.h"

#include "docops/PageTransforms.h"

namespace ikw::docops {

std::vector<pdf::EditableDocument> openPdfs(const std::vector<std::string>& paths)
{
    std::vector<pdf::EditableDocument> documents;
    for (const auto& path : paths) {
        if (auto document = pdf::EditableDocument::open(path))
            documents.push_back(std::move(*document));
    }
    return documents;
}

std::optional<pdf::EditableDocument> joinPdfs(std::vector<pdf::EditableDocument> documents)
{
    if (documents.empty())
        return std::nullopt;
    if (documents.size() == 1)
        return std::move(documents.front());
    std::vector<pdf::EditableDocument*> list;
    for (auto& document : documents)
        list.push_back(&document);
    return pgMerge(list);
}

std::optional<pdf::EditableDocument> openAsOneDocument(const std::vector<std::string>& paths)
{
    return joinPdfs(openPdfs(paths));
}

}
