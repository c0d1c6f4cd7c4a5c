#include "docops/PdfInputs.h"

#include "docops/PageTransforms.h"

namespace ikw::docops {

std::vector<pdf::Document> openPdfs(const std::vector<std::string>& paths)
{
    std::vector<pdf::Document> documents;
    for (const auto& path : paths) {
        if (auto document = pdf::Document::openFile(path))
            documents.push_back(std::move(*document));
    }
    return documents;
}

std::optional<pdf::Document> joinPdfs(std::vector<pdf::Document> documents)
{
    if (documents.empty())
        return std::nullopt;
    if (documents.size() == 1)
        return std::move(documents.front());
    std::vector<const pdf::Document*> list;
    for (const auto& document : documents)
        list.push_back(&document);
    return pgMerge(list);
}

std::optional<pdf::Document> openAsOneDocument(const std::vector<std::string>& paths)
{
    return joinPdfs(openPdfs(paths));
}

}
