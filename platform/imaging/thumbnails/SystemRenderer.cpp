#include "platform/imaging/thumbnails/SystemRenderer.h"

#include "platform/imaging/thumbnails/PdfRenderer.h"

#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ikw::thumbnail {

namespace {

constexpr std::size_t kHeadBytes = 1024;

}

std::optional<std::string> regularFileHead(const std::string& path)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    std::string head(kHeadBytes, '\0');
    std::size_t filled = 0;
    while (filled < head.size()) {
        const ssize_t got = ::read(fd.get(), head.data() + filled, head.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    head.resize(filled);
    return head;
}

bool looksLikePdf(std::string_view head)
{
    return head.substr(0, kHeadBytes).find("%PDF-") != std::string_view::npos;
}

std::optional<std::string> SystemRenderer::renderInBox(const std::string& source, PixelBox box)
{
    const std::optional<std::string> head = regularFileHead(source);
    if (!head)
        return std::nullopt;
    if (looksLikePdf(*head)) {
        if (auto png = renderPdfFirstPage(source, box))
            return png;
    }
    // Not a PDF after all (or a damaged one): the file's detected type decides.
    return m_images.thumbnailPng(source, box);
}

}
