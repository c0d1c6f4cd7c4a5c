#include "review/PdfSchemeHandler.h"

#include "platform/core/UniqueFd.h"
#include "review/UrlQuery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace ikw::review {

namespace {

constexpr std::size_t kHeaderWindow = 1024;

bool readUpTo(int fd, std::string& into, std::size_t limit)
{
    char buffer[64 * 1024];
    while (into.size() < limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit - into.size());
        const ssize_t got = ::read(fd, buffer, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        into.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

// The whole file when it is a regular file that looks like a PDF; none otherwise.
std::optional<std::string> readPdfFile(const std::string& path)
{
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::string bytes;
    if (!readUpTo(fd.get(), bytes, kHeaderWindow) || bytes.find("%PDF-") == std::string::npos)
        return std::nullopt;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    if (!readUpTo(fd.get(), bytes, std::string::npos))
        return std::nullopt;
    return bytes;
}

}

PdfSchemeHandler::PdfSchemeHandler()
    : m_ownQueue(makeConcurrentQueue("ikw.vtpdf"))
    , m_readQueue(*m_ownQueue)
{
}

void PdfSchemeHandler::start(const std::shared_ptr<SchemeRequest>& request, SchemeReply reply)
{
    const SchemeError failure { std::string(kScheme), 1 };
    std::optional<std::string> path = urlQuery(request->url(), "p");
    if (!path) {
        reply(failure);
        return;
    }
    m_readQueue.post([request, reply = std::move(reply), path = std::move(*path), failure] {
        std::optional<std::string> bytes = readPdfFile(path);
        if (request->isCancelled())
            return;
        if (bytes)
            reply(SchemeResponse::ok("application/pdf", std::move(*bytes)));
        else
            reply(failure);
    });
}

}
