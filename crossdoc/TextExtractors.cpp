#include "crossdoc/TextExtractors.h"

namespace ikw::crossdoc {

std::vector<Chunk> extractChunks(const std::string& path, const std::string& type, const ExtractorOptions& options)
{
    if (type == "pdf")
        return extractPDF(path, options.ocrLookup);
    if (type == "docx")
        return extractDocx(path, options);
    if (type == "xlsx")
        return extractXlsx(path, options.maxMemberBytes);
    if (type == "rtf")
        return extractRTF(path);
    if (type == "gdoc" || type == "gsheet" || type == "gslides")
        return extractGDocPointer(path);
    return extractText(path);
}

}
