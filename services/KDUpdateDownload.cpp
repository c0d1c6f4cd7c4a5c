// Downloading an update, proving it genuine, and staging its bundle.
#include "services/KDUpdate.h"

#include "platform/core/Base64.h"
#include "platform/core/Identifiers.h"
#include "platform/core/UniqueFd.h"
#include "platform/core/WriteAll.h"
#include "platform/core/ZipArchive.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace ikw::services::KDUpdate {

namespace {

using namespace std::chrono_literals;

bool isSafeNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
}

// A failed file-system call, with the system's own reason.
Error systemError(int error)
{
    return Error { .domain = "POSIX", .code = error, .message = std::strerror(error) };
}

DownloadResult failed(Error error)
{
    return DownloadResult { .bundle = {}, .error = std::move(error) };
}

// The staging folder of this entry, emptied: removed (links inside are removed, never followed)
// and made again.
std::optional<std::string> freshStagingFolder(const Appcast& appcast, std::optional<Error>& error)
{
    const auto root = stagingRoot();
    if (!root) {
        error = err("no private folder to stage the update in");
        return std::nullopt;
    }
    const std::string name = stagingFolderName(state()->appKey, appcast.version, appcast.build);
    const std::filesystem::path folder = std::filesystem::path(*root) / name;
    // The name cannot leave the root; this says so where the removal is.
    if (folder.parent_path() != std::filesystem::path(*root) || !name.starts_with("KDUpdate-")) {
        error = err("the staging folder is outside the updater's folder");
        return std::nullopt;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (::mkdir(folder.c_str(), 0700) != 0) {
        error = systemError(errno);
        return std::nullopt;
    }
    return folder.string();
}

std::optional<Error> writeNewFile(const std::string& path, std::string_view bytes)
{
    const UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.valid() || !writeAll(file.get(), bytes))
        return systemError(errno);
    return std::nullopt;
}

std::string shaMismatch(const std::string& got, const std::string& expected)
{
    return "sha256 mismatch (got " + got.substr(0, 12) + "\u2026, manifest " + expected.substr(0, 12) + "\u2026)";
}

// Codesign, the signer check and the system's assessment have no counterpart here: the archive
// carries an Ed25519 signature of its bytes, checked against the key built into the program.
// Trust rests on that key and on TLS to the feed.
bool signedByUs(const std::string& archive, const Appcast& appcast)
{
    const auto signature = decodeBase64(appcast.ed25519);
    return signature && verifyEd25519(state()->publicKey, archive, *signature);
}

// The first real folder ending in ".app", by name, so the choice does not depend on the order the
// file system lists them in.
std::optional<std::string> firstBundleIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".app") && entry.symlink_status(error).type() == std::filesystem::file_type::directory)
            names.push_back(name);
    }
    if (names.empty())
        return std::nullopt;
    return *std::min_element(names.begin(), names.end());
}

}

std::string stagingFolderName(const std::string& appKey, const std::string& version, std::int64_t build)
{
    const std::string raw = "KDUpdate-" + appKey + "-" + version + "-" + std::to_string(build);
    std::string name;
    for (const char c : raw) {
        const char safe = isSafeNameCharacter(c) ? c : '_';
        // A dot after a dot would make "..".
        name += safe == '.' && !name.empty() && name.back() == '.' ? '_' : safe;
    }
    return name;
}

DownloadResult downloadAndVerify(const Appcast& appcast)
{
    std::optional<Error> error;
    const auto folder = freshStagingFolder(appcast, error);
    if (!folder)
        return failed(*error);

    http::HttpRequest request;
    request.url = appcast.url;
    request.headers.push_back({ "Cache-Control", "no-cache" });
    request.timeout = 300s;
    request.maxBodyBytes = kArchiveMaxBytes;
    const auto archive = syncFetch(std::move(request));
    if (!archive)
        return failed(err("download failed"));

    const std::string digest = sha256Hex(*archive);
    if (digest != appcast.sha256)
        return failed(err(shaMismatch(digest, appcast.sha256)));
    if (!signedByUs(*archive, appcast))
        return failed(err("code signature invalid"));

    const std::string archivePath = *folder + "/update.zip";
    if (auto written = writeNewFile(archivePath, *archive))
        return failed(*written);
    const auto zip = ZipArchive::open(archivePath);
    if (!zip || !extractZipArchive(*zip, *folder, kUnpackedMaxBytes))
        return failed(err("unzip failed"));

    const auto bundle = firstBundleIn(*folder);
    if (!bundle)
        return failed(err("no .app in the archive"));
    return DownloadResult { .bundle = *folder + "/" + *bundle, .error = std::nullopt };
}

}
