#include "thumbnail-tool/PdfRenderer.h"

namespace ikw::thumbnail {

Pixbuf renderPdfFirstPage(const std::string&, int)
{
    return {};
}

void silencePdfDiagnostics()
{
}

}
