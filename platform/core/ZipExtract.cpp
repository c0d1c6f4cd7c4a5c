// Unpacking a whole zip archive into a folder without ever writing outside it.
#include "platform/core/ZipArchive.h"

#include "platform/core/UniqueFd.h"
#include "platform/core/WriteAll.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

namespace ikw {

namespace {

constexpr std::uint64_t kLinkTargetMaxBytes = 4096;

// The parts of an entry's name below the folder; none for an absolute name or one with "..".
std::optional<std::vector<std::string>> safeParts(std::string_view name)
{
    if (name.empty() || name.front() == '/')
        return std::nullopt;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view part = name.substr(start, end - start);
        if (part == "..")
            return std::nullopt;
        if (!part.empty() && part != ".")
            parts.emplace_back(part);
        start = end + 1;
    }
    return parts;
}

// A link target that, read from the link's folder `depth` levels below the top, stays inside.
bool staysInside(std::string_view target, std::size_t depth)
{
    if (target.empty() || target.front() == '/' || target.find('\0') != std::string_view::npos)
        return false;
    long level = static_cast<long>(depth);
    std::size_t start = 0;
    while (start <= target.size()) {
        const std::size_t end = std::min(target.find('/', start), target.size());
        const std::string_view part = target.substr(start, end - start);
        if (part == "..")
            --level;
        else if (!part.empty() && part != ".")
            ++level;
        if (level < 0)
            return false;
        start = end + 1;
    }
    return true;
}

// Opens (making it first when needed) the folder `name` inside `parent`, never through a link.
UniqueFd openFolderIn(int parent, const std::string& name)
{
    if (::mkdirat(parent, name.c_str(), 0755) != 0 && errno != EEXIST)
        return {};
    return UniqueFd(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

mode_t permissionsOf(const ZipEntry& entry, mode_t fallback)
{
    return entry.unixMode ? static_cast<mode_t>(*entry.unixMode & 0777) : fallback;
}

class Extraction {
public:
    Extraction(const ZipArchive& archive, std::string folder, std::uint64_t maxBytes)
        : m_archive(archive), m_folder(std::move(folder)), m_remaining(maxBytes)
    {
    }

    bool run()
    {
        const UniqueFd top(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!top.valid())
            return false;
        for (const ZipEntry& entry : m_archive.entries()) {
            if (!unpack(top.get(), entry))
                return false;
        }
        return linksStayInside() && setFolderModes(top.get());
    }

private:
    bool unpack(int top, const ZipEntry& entry)
    {
        auto parts = safeParts(entry.name);
        if (!parts)
            return false;
        const mode_t type = entry.unixMode ? static_cast<mode_t>(*entry.unixMode & S_IFMT) : 0;
        const bool folder = entry.name.ends_with('/') || type == S_IFDIR;
        if (parts->empty())
            return folder; // the folder itself
        const std::string leaf = parts->back();
        parts->pop_back();
        UniqueFd parent = openFolders(top, *parts);
        if (!parent.valid())
            return false;
        if (folder) {
            UniqueFd made = openFolderIn(parent.get(), leaf);
            parts->push_back(leaf);
            m_folderModes.push_back({ *parts, permissionsOf(entry, 0755) });
            return made.valid();
        }
        if (type == S_IFLNK)
            return unpackLink(parent.get(), entry, leaf, *parts);
        if (type != 0 && type != S_IFREG)
            return false;
        return unpackFile(parent.get(), entry, leaf);
    }

    UniqueFd openFolders(int top, const std::vector<std::string>& parts)
    {
        UniqueFd current(::dup(top));
        for (const std::string& part : parts) {
            current = openFolderIn(current.get(), part);
            if (!current.valid())
                return {};
        }
        return current;
    }

    bool unpackFile(int parent, const ZipEntry& entry, const std::string& leaf)
    {
        const UniqueFd file(::openat(parent, leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.valid())
            return false;
        bool written = true;
        std::uint64_t read = 0;
        const ZipReadStatus status = m_archive.readMember(entry.name, m_remaining, [&](std::string_view piece) {
            read += piece.size();
            written = written && writeAll(file.get(), piece);
        });
        if (status != ZipReadStatus::Read || !written)
            return false;
        m_remaining -= read;
        return ::fchmod(file.get(), permissionsOf(entry, 0644)) == 0;
    }

    bool unpackLink(int parent, const ZipEntry& entry, const std::string& leaf, std::vector<std::string> parts)
    {
        const auto target = m_archive.readMember(entry.name, std::min(kLinkTargetMaxBytes, m_remaining));
        if (!target || !staysInside(*target, parts.size()))
            return false;
        m_remaining -= target->size();
        if (::symlinkat(target->c_str(), parent, leaf.c_str()) != 0)
            return false;
        parts.push_back(leaf);
        m_links.push_back(std::move(parts));
        return true;
    }

    // Each target was checked on its own; a link may still lead out through another link
    // ("a" -> "b/..", with "b" -> ".."). Resolved together now, before anyone follows them.
    bool linksStayInside() const
    {
        std::error_code error;
        const std::filesystem::path top = std::filesystem::canonical(m_folder, error);
        if (error)
            return false;
        for (const auto& parts : m_links) {
            std::filesystem::path link = top;
            for (const std::string& part : parts)
                link /= part;
            const std::filesystem::path resolved = std::filesystem::weakly_canonical(link, error);
            if (error)
                return false;
            const std::string text = resolved.string();
            if (text != top.string() && !text.starts_with(top.string() + "/"))
                return false;
        }
        return true;
    }

    // Last, so that a read-only folder was still writable while it filled; deepest first, so
    // that a folder is still open to us while the ones inside it are set.
    bool setFolderModes(int top)
    {
        std::stable_sort(m_folderModes.begin(), m_folderModes.end(),
            [](const FolderMode& a, const FolderMode& b) { return a.parts.size() > b.parts.size(); });
        for (const FolderMode& folderMode : m_folderModes) {
            const UniqueFd folder = openFolders(top, folderMode.parts);
            if (!folder.valid() || ::fchmod(folder.get(), folderMode.mode) != 0)
                return false;
        }
        return true;
    }

    struct FolderMode {
        std::vector<std::string> parts;
        mode_t mode;
    };

    const ZipArchive& m_archive;
    const std::string m_folder;
    std::uint64_t m_remaining;
    std::vector<FolderMode> m_folderModes;
    std::vector<std::vector<std::string>> m_links;
};

}

bool extractZipArchive(const ZipArchive& archive, const std::string& folder, std::uint64_t maxBytes)
{
    return Extraction(archive, folder, maxBytes).run();
}

}
