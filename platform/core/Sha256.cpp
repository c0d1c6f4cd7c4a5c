#include "platform/core/Identifiers.h"
#include "platform/core/UniqueFd.h"

#include <openssl/evp.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ikw {

namespace {

constexpr std::size_t kReadPiece = 1 << 20;

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// Feeds every byte of the descriptor to the digest; false on a read error.
bool digestAll(int fd, EVP_MD_CTX* context)
{
    std::vector<unsigned char> piece(kReadPiece);
    for (;;) {
        const ssize_t got = ::read(fd, piece.data(), piece.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (EVP_DigestUpdate(context, piece.data(), static_cast<std::size_t>(got)) != 1)
            return false;
    }
}

}

std::string sha256Hex(std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        return {};
    return toHex(digest, length);
}

std::optional<std::string> sha256HexOfFile(const std::string& path)
{
    // Non-blocking open: a FIFO must not hold the caller before the type check turns it away.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1 || !digestAll(fd.get(), context.get()))
        return std::nullopt;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        return std::nullopt;
    return toHex(digest, length);
}

}
