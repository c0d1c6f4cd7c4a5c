#include "crossdoc/SearchIndex.h"

#include "app/Globals.h"
#include "crossdoc/HitLocation.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <sys/stat.h>

#include <ctime>
#include <filesystem>

namespace ikw::crossdoc {

namespace {

constexpr const char* kPragmas[] = {
    "PRAGMA journal_mode=WAL;",
    "PRAGMA synchronous=NORMAL;",
    "PRAGMA busy_timeout=4000;",
};

constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS files(\n"
    "  path TEXT PRIMARY KEY, mtime INTEGER, size INTEGER, type TEXT, indexed_at INTEGER);",
    "CREATE TABLE IF NOT EXISTS chunk(\n"
    "  id INTEGER PRIMARY KEY, path TEXT, atype TEXT, anchor TEXT, page INTEGER, body TEXT);",
    "CREATE INDEX IF NOT EXISTS chunk_path ON chunk(path);",
    "CREATE VIRTUAL TABLE IF NOT EXISTS chunk_fts USING fts5(\n"
    "  body, content='chunk', content_rowid='id', tokenize='trigram');",
    "CREATE TRIGGER IF NOT EXISTS chunk_ai AFTER INSERT ON chunk BEGIN\n"
    "  INSERT INTO chunk_fts(rowid, body) VALUES(new.id, new.body); END;",
    "CREATE TRIGGER IF NOT EXISTS chunk_ad AFTER DELETE ON chunk BEGIN\n"
    "  INSERT INTO chunk_fts(chunk_fts, rowid, body) VALUES('delete', old.id, old.body); END;",
    "CREATE TRIGGER IF NOT EXISTS chunk_au AFTER UPDATE ON chunk BEGIN\n"
    "  INSERT INTO chunk_fts(chunk_fts, rowid, body) VALUES('delete', old.id, old.body);\n"
    "  INSERT INTO chunk_fts(rowid, body) VALUES(new.id, new.body); END;",
};

// The files SQLite keeps beside the database in write-ahead-log mode.
constexpr const char* kCompanionSuffixes[] = { "", "-wal", "-shm" };

// Seconds since 1970 truncated toward zero (tv_sec alone is the floor for dates before 1970).
std::int64_t wholeSeconds(const timespec& time)
{
    return time.tv_sec < 0 && time.tv_nsec > 0 ? static_cast<std::int64_t>(time.tv_sec) + 1 : static_cast<std::int64_t>(time.tv_sec);
}

void logIndexProblem(const std::string& what)
{
    logLine("[ikw] search index: " + what);
}

}

IWSearchIndex::IWSearchIndex(std::string dbPath, ChunkExtractor extractor)
    : m_dbPath(std::move(dbPath))
    , m_extractor(std::move(extractor))
{
    std::error_code ignored;
    std::filesystem::create_directories(parentPath(m_dbPath), ignored);
    open();
    if (m_db && !prepareSchema()) {
        setAsideDamagedFile();
        open();
        if (m_db)
            prepareSchema();
    }
}

IWSearchIndex::~IWSearchIndex() = default;

void IWSearchIndex::open()
{
    m_knownFiles.reset();
    m_statements = {};
    m_db.reset();
    m_damaged = false;
    std::string error;
    m_db = SqliteConnection::open(m_dbPath, error);
    if (!m_db)
        logIndexProblem("cannot open " + m_dbPath + ": " + error);
}

bool IWSearchIndex::prepareSchema()
{
    for (const char* sql : kPragmas)
        execute(sql);
    for (const char* sql : kSchema)
        execute(sql);
    return !m_damaged;
}

void IWSearchIndex::setAsideDamagedFile()
{
    logIndexProblem(m_dbPath + " is damaged (" + (m_db ? m_db->errorMessage() : std::string("no database"))
        + "); it is set aside as " + lastPathComponent(m_dbPath) + ".bad and the index starts afresh");
    m_statements = {};
    m_db.reset();
    const std::string setAside = m_dbPath + ".bad";
    for (const char* suffix : kCompanionSuffixes) {
        std::error_code error;
        const std::string from = m_dbPath + suffix;
        const std::string to = setAside + suffix;
        // An older companion of an earlier damaged file must not join this one.
        if (std::filesystem::exists(std::filesystem::symlink_status(from, error)))
            std::filesystem::rename(from, to, error);
        else
            std::filesystem::remove(to, error);
        if (error)
            logIndexProblem("cannot set aside " + from + ": " + error.message());
    }
}

void IWSearchIndex::startAfreshIfDamaged()
{
    if (!m_damaged)
        return;
    setAsideDamagedFile();
    open();
    if (m_db)
        prepareSchema();
}

int IWSearchIndex::checked(int resultCode)
{
    if (isDamagedDatabase(resultCode))
        m_damaged = true;
    return resultCode;
}

int IWSearchIndex::execute(const char* sql)
{
    return m_db ? checked(m_db->execute(sql)) : SQLITE_MISUSE;
}

void IWSearchIndex::runLogged(const char* sql)
{
    if (!m_db)
        return;
    if (execute(sql) != SQLITE_OK)
        logIndexProblem(std::string(sql) + " failed: " + m_db->errorMessage());
}

SqliteStatement* IWSearchIndex::statement(std::optional<SqliteStatement>& slot, std::string_view sql)
{
    if (!m_db)
        return nullptr;
    if (!slot)
        slot = m_db->prepare(sql);
    return slot ? &*slot : nullptr;
}

std::int64_t IWSearchIndex::fileCount()
{
    if (!m_db)
        return 0;
    auto count = m_db->prepare("SELECT COUNT(*) FROM files;");
    if (!count || checked(count->step()) != SQLITE_ROW)
        return 0;
    return count->columnInt64(0);
}

std::optional<IWSearchIndex::FileKey> IWSearchIndex::statKey(const std::string& path)
{
    bool isLink = false;
    return statKey(path, isLink);
}

std::optional<IWSearchIndex::FileKey> IWSearchIndex::statKey(const std::string& path, bool& isLink)
{
    // One look for the common case, a second only for a link.
    struct stat info {};
    isLink = false;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    isLink = S_ISLNK(info.st_mode);
    if (isLink && ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileKey { wholeSeconds(info.st_mtim), static_cast<std::int64_t>(info.st_size) };
}

std::unordered_map<std::string, IWSearchIndex::FileKey> IWSearchIndex::indexedFiles()
{
    return knownFiles();
}

std::int64_t IWSearchIndex::dataVersion()
{
    auto version = m_db ? m_db->prepare("PRAGMA data_version;") : std::nullopt;
    return version && checked(version->step()) == SQLITE_ROW ? version->columnInt64(0) : -1;
}

const std::unordered_map<std::string, IWSearchIndex::FileKey>& IWSearchIndex::knownFiles()
{
    // Every freshness check of a large scope needs the whole table; most find nothing changed.
    const std::int64_t version = dataVersion();
    if (m_knownFiles && version == m_knownFilesVersion && version != -1)
        return *m_knownFiles;
    m_knownFiles.emplace();
    m_knownFilesVersion = version;
    ++m_knownFilesReadings;
    auto rows = m_db ? m_db->prepare("SELECT path, mtime, size FROM files;") : std::nullopt;
    while (rows && checked(rows->step()) == SQLITE_ROW)
        m_knownFiles->insert_or_assign(rows->columnText(0), FileKey { rows->columnInt64(1), rows->columnInt64(2) });
    return *m_knownFiles;
}

void IWSearchIndex::deleteFile(const std::string& path)
{
    m_knownFiles.reset();
    for (auto* remove : { statement(m_statements.deleteChunks, "DELETE FROM chunk WHERE path=?;"),
             statement(m_statements.deleteFile, "DELETE FROM files WHERE path=?;") }) {
        if (!remove)
            continue;
        remove->bind(1, path);
        checked(remove->step());
        remove->reset();
    }
}

void IWSearchIndex::insertChunk(const std::string& path, const Chunk& chunk)
{
    SqliteStatement* insert = statement(m_statements.insertChunk, "INSERT INTO chunk(path,atype,anchor,page,body) VALUES(?,?,?,?,?);");
    if (!insert)
        return;
    insert->bind(1, path);
    insert->bind(2, chunk.atype);
    insert->bind(3, chunk.anchor);
    insert->bind(4, chunk.page);
    insert->bind(5, chunk.body);
    checked(insert->step());
    insert->reset();
}

void IWSearchIndex::recordFile(const std::string& path, const std::string& type, FileKey key)
{
    m_knownFiles.reset();
    SqliteStatement* record = statement(m_statements.recordFile, "INSERT OR REPLACE INTO files(path,mtime,size,type,indexed_at) VALUES(?,?,?,?,?);");
    if (!record)
        return;
    record->bind(1, path);
    record->bind(2, key.mtime);
    record->bind(3, key.size);
    record->bind(4, type);
    record->bind(5, static_cast<std::int64_t>(std::time(nullptr)));
    checked(record->step());
    record->reset();
}

std::vector<std::string> IWSearchIndex::trigrams(std::string_view text)
{
    return crossdoc::trigrams(text);
}

std::string searchIndexPath()
{
    return globals().paths.mapLibraryPath("~/Library/Application Support/Inkwarden/searchindex.db");
}

std::unique_ptr<IWSearchIndex> makeApplicationSearchIndex()
{
    auto index = std::make_unique<IWSearchIndex>(searchIndexPath());
    index->setOcrLookup(docops::ocrCacheRead);
    return index;
}

}
