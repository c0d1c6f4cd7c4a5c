#pragma once

#include <cstddef>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::library {

// The identifiers under which a review's documents are published to the paired library as a
// group. Other devices compute the same identifiers for the same library, so each one must come
// out byte for byte alike. Every function may be called from any thread.
namespace group_identity {

inline constexpr std::size_t kMemberCap = 200;

// The pair code in capitals (full case mapping, "ß" gives "SS") reduced to A-Z and 0-9.
std::string normalisedPairCode(std::string_view code);
// "ikw-" and 32 hex digits of the pair code's hash; nothing when the normalised code has fewer
// than 6 characters.
std::optional<std::string> deriveLibrary(std::string_view code);
// "grp-" and 24 hex digits of the hash of the sorted document identifiers joined by line feeds:
// the same documents in any order give the same group.
std::string groupId(std::vector<std::string> docIds);
// The group's display name: the one folder given, else the one folder holding every file given
// (when every path given is a member), else "<count> files".
std::string groupName(const std::vector<std::string>& paths, std::size_t memberCount);
// The PDFs of a review, at most `cap`: the PDF files given, in order, then each given folder's
// PDFs (hidden entries left out, symbolic links to folders not followed, unreadable folders
// passed over), the folder's `cap` smallest paths in code-point order. No path comes twice.
std::vector<std::string> memberPDFs(const std::vector<std::string>& paths, std::size_t cap = kMemberCap);

}

// "doc:sha256:" and the hex SHA-256 of a file's bytes, remembered by path for as long as the
// file's modification time and size stay the same. One instance per process is enough; any
// thread may ask. The lock is not held while a file is hashed, so two threads missing at once
// both hash it and the later store wins (with the same answer).
class DocumentIds {
public:
    // Nothing when the file's attributes or bytes cannot be read (a folder gives nothing).
    std::optional<std::string> docId(const std::string& path);

private:
    struct Entry {
        std::timespec modified {};
        long long size = 0;
        std::string id;
    };
    std::mutex m_cacheLock;
    std::map<std::string, Entry> m_cache;
};

}
