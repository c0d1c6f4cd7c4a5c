#pragma once

#include "crossdoc/Chunk.h"
#include "crossdoc/SearchHits.h"
#include "crossdoc/Sqlite.h"
#include "crossdoc/TextExtractors.h"
#include "platform/core/FolderChangeSentinel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ikw::crossdoc {

// Cuts one file into chunks; the program's is extractChunks.
using ChunkExtractor = std::function<std::vector<Chunk>(const std::string& path, const std::string& type, const ExtractorOptions& options)>;
// Told before each file a re-index extracts: its 1-based place, how many there are, its name.
using ReindexProgress = std::function<void(std::size_t done, std::size_t total, const std::string& name)>;
// Asked between files: true ends a re-index early, keeping what it recorded.
using StopCheck = std::function<bool()>;

// The documents a query may answer from: these files, and everything below these folders.
struct IndexPathFilter {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    // Leaves out documents whose file is gone (or is no regular file now), before the limit on
    // documents applies: a deletion does not make a scope stale, so the index may still hold them.
    bool existingFilesOnly = false;
};

// The full-text index of cross-folder search: one SQLite database holding the documents of a
// scope (folders and files) cut into chunks, with an FTS5 table over the chunks using the trigram
// tokenizer, so that any text of three or more characters can be found, and a row per file with
// its modification time and size, by which a scope is known to be current.
//
// The index is a cache: it holds the scope last re-indexed, a database that SQLite finds damaged
// is set aside as "<file>.bad" and started afresh, and nothing here is reported to the user.
// No lock: one serial queue makes every call.
class IWSearchIndex {
public:
    using Chunk = crossdoc::Chunk;

    // A file's modification time in whole seconds since 1970 and its size in bytes.
    struct FileKey {
        std::int64_t mtime = 0;
        std::int64_t size = 0;
        bool operator==(const FileKey&) const = default;
    };

    // One chunk read back by a query.
    struct Row {
        std::string path;
        std::string atype;
        std::string anchor;
        std::int64_t page = 0;
        std::string body;
    };

    static constexpr std::size_t kDefaultMaxFiles = 8000;

    // Opens (creating) the database and its schema. Never fails: see isOpen.
    explicit IWSearchIndex(std::string dbPath, ChunkExtractor extractor = extractChunks);
    ~IWSearchIndex();
    IWSearchIndex(const IWSearchIndex&) = delete;
    IWSearchIndex& operator=(const IWSearchIndex&) = delete;

    bool isOpen() const { return m_db.has_value(); }
    const std::string& dbPath() const { return m_dbPath; }

    // Text for PDFs without a text layer, passed to the extractor; none by default.
    const OcrLookup& ocrLookup() const { return m_ocrLookup; }
    void setOcrLookup(OcrLookup lookup) { m_ocrLookup = std::move(lookup); }

    std::int64_t fileCount();

    // Whether every indexable file of the scope is indexed as it is now. Files indexed before but
    // gone since do not count. The walk takes the given files first (each counted, always taken),
    // then the folders' files while fewer than `maxFiles` are taken. A scope found fresh is watched
    // (its folders and the given files' folders), so that asking again about the same scope, with
    // nothing changed in those folders and the index unchanged, needs no walk.
    bool isFresh(const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles,
        std::size_t maxFiles = kDefaultMaxFiles);

    // Brings the index in line with the scope: drops every file outside it, then extracts the new
    // and changed ones in transactions of 40 files. Returns how many files it set out to extract.
    std::size_t reindex(const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles,
        std::size_t maxFiles = kDefaultMaxFiles, const ReindexProgress& progress = {}, const StopCheck& shouldStop = {});

    // The documents holding the query (trimmed, three characters or more) as a phrase, located
    // case-insensitively, most hits first; at most `limitDocs` documents and `hitsPerDoc` hits each.
    // A filter keeps the answer to its documents.
    std::vector<IWDocResult> searchExact(std::string_view query, std::size_t limitDocs = 300, std::size_t hitsPerDoc = 40,
        const std::optional<IndexPathFilter>& filter = std::nullopt);
    // The documents with one to three words resembling the query (shared trigrams), one hit per
    // chunk.
    std::vector<IWDocResult> searchFuzzy(std::string_view query, std::size_t limitDocs = 200, std::size_t hitsPerDoc = 20,
        const std::optional<IndexPathFilter>& filter = std::nullopt);

    // See HitLocation.h.
    static std::vector<std::string> trigrams(std::string_view text);

    // The file's key, following links; none when it cannot be looked at.
    static std::optional<FileKey> statKey(const std::string& path);
    // The same, and whether the path itself is a symbolic link.
    static std::optional<FileKey> statKey(const std::string& path, bool& isLink);
    std::unordered_map<std::string, FileKey> indexedFiles();

    // The connection, for tests that watch its transactions; null when the index is not open.
    sqlite3* connectionForTesting() const { return m_db ? m_db->handle() : nullptr; }

private:
    void open();
    // Pragmas and schema; false when SQLite found the file damaged.
    bool prepareSchema();
    void setAsideDamagedFile();
    void startAfreshIfDamaged();
    // Watches each result for damage to the file.
    int checked(int resultCode);
    int execute(const char* sql);
    void runLogged(const char* sql);
    SqliteStatement* statement(std::optional<SqliteStatement>& slot, std::string_view sql);

    // The files table, read again only after this connection or another one changed the database.
    const std::unordered_map<std::string, FileKey>& knownFiles();
    std::int64_t dataVersion();

    std::vector<std::string> scopeFiles(const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles,
        std::size_t maxFiles, const std::function<bool(const std::string& path)>& keepGoing = {},
        const std::function<void(const std::string& folder)>& listing = {});
    // The walk behind isFresh, watching every folder it reads from before reading it.
    bool checkFreshness(const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles, std::size_t maxFiles);
    void deleteFile(const std::string& path);
    void insertChunk(const std::string& path, const Chunk& chunk);
    void recordFile(const std::string& path, const std::string& type, FileKey key);

    std::vector<Row> matchRows(const std::string& expression, std::size_t cap, const std::optional<IndexPathFilter>& filter);
    bool fillPathFilter(const IndexPathFilter& filter);
    std::vector<IWDocResult> group(const std::vector<Row>& rows, std::string_view query, bool fuzzy, std::size_t limitDocs,
        std::size_t hitsPerDoc, bool existingFilesOnly) const;

    std::string m_dbPath;
    ChunkExtractor m_extractor;
    OcrLookup m_ocrLookup;
    std::optional<SqliteConnection> m_db;
    bool m_damaged = false;
    std::optional<std::unordered_map<std::string, FileKey>> m_knownFiles;
    std::int64_t m_knownFilesVersion = 0;
    // Counts the times the files table was read, so that a scope found fresh against one reading
    // is not taken as fresh against the next.
    std::uint64_t m_knownFilesReadings = 0;
    // The last scope found fresh, and the watch over its folders since.
    struct FreshScope {
        std::vector<std::string> dirs;
        std::vector<std::string> explicitFiles;
        std::size_t maxFiles = 0;
        std::uint64_t knownFilesReading = 0;
    };
    std::optional<FreshScope> m_freshScope;
    FolderChangeSentinel m_freshScopeWatch;
    // Statements used per file or per chunk, prepared once for the connection.
    struct Statements {
        std::optional<SqliteStatement> deleteChunks;
        std::optional<SqliteStatement> deleteFile;
        std::optional<SqliteStatement> insertChunk;
        std::optional<SqliteStatement> recordFile;
    };
    Statements m_statements;
};

// The program's index file: searchindex.db in the product's data folder.
std::string searchIndexPath();
// The program's index: on searchIndexPath(), extracting with extractChunks, scanned PDFs reading
// the OCR cache.
std::unique_ptr<IWSearchIndex> makeApplicationSearchIndex();

}
