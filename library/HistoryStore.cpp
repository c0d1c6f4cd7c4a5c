#include "library/HistoryStore.h"

#include "app/Globals.h"
#include "library/StandardPath.h"
#include "platform/core/Paths.h"
#include "platform/core/TextMetrics.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <future>
#include <set>
#include <unordered_map>

namespace ikw::library {

namespace {

std::string lowerExtension(std::string_view path)
{
    std::string extension = pathExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    return extension;
}

double systemNow()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::int64_t fileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::int64_t>(size);
}

Json rowJson(const HistoryRow& row)
{
    return Json {
        { "path", row.path }, { "name", row.name }, { "ext", row.ext }, { "dir", row.isDir }, { "size", row.size },
        { "folder", row.folder }, { "mode", row.mode }, { "first", row.first }, { "last", row.last }, { "n", row.count },
    };
}

template<typename Value>
Value member(const Json& object, const char* key, Value fallback)
{
    const auto found = object.find(key);
    if (found == object.end())
        return fallback;
    if constexpr (std::is_same_v<Value, std::string>) {
        return found->is_string() ? found->get<std::string>() : fallback;
    } else if constexpr (std::is_same_v<Value, bool>) {
        return found->is_boolean() ? found->get<bool>() : fallback;
    } else if constexpr (std::is_floating_point_v<Value>) {
        return found->is_number() ? found->get<Value>() : fallback;
    } else {
        return found->is_number_integer() ? found->get<Value>() : fallback;
    }
}

std::optional<HistoryRow> rowFromJson(const Json& object)
{
    if (!object.is_object())
        return std::nullopt;
    const auto path = object.find("path");
    if (path == object.end() || !path->is_string())
        return std::nullopt;
    HistoryRow row;
    row.path = path->get<std::string>();
    row.name = member(object, "name", lastPathComponent(row.path));
    row.ext = member(object, "ext", lowerExtension(row.path));
    row.isDir = member(object, "dir", false);
    row.size = member<std::int64_t>(object, "size", 0);
    row.folder = member(object, "folder", parentPath(row.path));
    row.mode = member(object, "mode", std::string());
    row.first = member(object, "first", 0.0);
    row.last = member(object, "last", 0.0);
    row.count = member(object, "n", 1);
    return row;
}

void sortNewestFirst(std::vector<HistoryRow>& rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const HistoryRow& a, const HistoryRow& b) { return a.last > b.last; });
}

// The page's data goes inside a script element: nothing in it may close the element or end a
// JavaScript line.
std::string scriptSafe(const std::string& json)
{
    std::string safe;
    safe.reserve(json.size());
    for (std::size_t index = 0; index < json.size(); ++index) {
        const char c = json[index];
        if (c == '<')
            safe += "\\u003c";
        else if (c == '>')
            safe += "\\u003e";
        else if (json.compare(index, 3, "\u2028") == 0)
            safe += "\\u2028", index += 2;
        else if (json.compare(index, 3, "\u2029") == 0)
            safe += "\\u2029", index += 2;
        else
            safe += c;
    }
    return safe;
}

}

// One of the store's three files. A file that exists but cannot be read is kept aside once,
// before the first write would replace it.
struct StoreFile {
    std::string path;
    bool keepAside = false;

    std::optional<Json> read(FileSystem& files)
    {
        if (!files.exists(path))
            return std::nullopt;
        const auto text = files.readFile(path);
        auto parsed = text ? parseJson(*text) : std::nullopt;
        keepAside = !parsed;
        return parsed;
    }
    // False when the file could not be written (the old one stays whole).
    bool write(FileSystem& files, const std::string& folder, const std::string& text)
    {
        files.createDirectories(folder);
        if (keepAside) {
            files.rename(path, path + ".bad");
            keepAside = false;
        }
        return files.replaceFile(path, text).ok();
    }
};

// A set of paths kept in a file as a sorted JSON array.
struct PathSet {
    StoreFile file;
    std::set<std::string> paths;
    bool loaded = false;

    void load(FileSystem& files)
    {
        if (std::exchange(loaded, true))
            return;
        const auto parsed = file.read(files);
        if (!parsed || !parsed->is_array())
            return;
        std::set<std::string> read;
        for (const auto& entry : *parsed) {
            if (!entry.is_string())
                return;
            read.insert(entry.get<std::string>());
        }
        paths = std::move(read);
    }
    void save(FileSystem& files, const std::string& folder)
    {
        file.write(files, folder, toPlainJson(Json(std::vector<std::string>(paths.begin(), paths.end()))));
    }
    bool set(FileSystem& files, const std::string& folder, const std::string& path, bool member)
    {
        load(files);
        if (member)
            paths.insert(path);
        else
            paths.erase(path);
        save(files, folder);
        return paths.count(path) > 0;
    }
    std::vector<std::string> sorted(FileSystem& files)
    {
        load(files);
        return { paths.begin(), paths.end() };
    }
};

struct HistoryStore::State {
    HistoryConfig config;
    StoreFile history { config.home + "/history.json" };
    std::unordered_map<std::string, HistoryRow> rows;
    std::int64_t trimmed = 0;
    bool dirty = false;
    bool flushScheduled = false;
    bool loaded = false;
    PathSet favs { .file = { config.home + "/favorites.json" }, .paths = {} };
    PathSet pins { .file = { config.home + "/pins.json" }, .paths = {} };
    // Asks for flush() on the queue, `flushInterval` from now.
    std::function<void()> requestDelayedFlush;

    explicit State(HistoryConfig settings) : config(std::move(settings)) { }

    FileSystem& files() { return *config.fileSystem; }

    void load()
    {
        if (std::exchange(loaded, true))
            return;
        const auto parsed = history.read(files());
        if (!parsed || !parsed->is_object())
            return;
        const auto listed = parsed->find("rows");
        if (listed == parsed->end() || !listed->is_array())
            return;
        trimmed = member<std::int64_t>(*parsed, "trimmed", 0);
        for (const auto& object : *listed) {
            if (auto row = rowFromJson(object))
                rows.insert_or_assign(row->path, std::move(*row));
        }
    }

    void changed()
    {
        dirty = true;
        if (!std::exchange(flushScheduled, true))
            requestDelayedFlush();
    }

    std::vector<HistoryRow> sortedRows() const
    {
        std::vector<HistoryRow> sorted;
        sorted.reserve(rows.size());
        for (const auto& [path, row] : rows)
            sorted.push_back(row);
        sortNewestFirst(sorted);
        return sorted;
    }

    void flush()
    {
        if (!std::exchange(dirty, false))
            return;
        auto sorted = sortedRows();
        if (sorted.size() > hardCap) {
            trimmed += static_cast<std::int64_t>(sorted.size() - hardCap);
            sorted.resize(hardCap);
            rows.clear();
            for (const auto& row : sorted)
                rows.emplace(row.path, row);
        }
        Json listed = Json::array();
        for (const auto& row : sorted)
            listed.push_back(rowJson(row));
        const Json document { { "v", 1 }, { "updated", config.clock() }, { "trimmed", trimmed }, { "rows", std::move(listed) } };
        // A write that fails leaves the old file whole and the rows to the next change.
        if (!history.write(files(), config.home, toPlainJson(document)))
            dirty = true;
    }

    void record(const std::string& path, bool isDir, std::string mode, double now)
    {
        load();
        const auto existing = rows.find(path);
        HistoryRow row;
        row.path = path;
        row.name = lastPathComponent(path);
        row.ext = lowerExtension(path);
        row.folder = parentPath(path);
        row.isDir = isDir;
        row.mode = std::move(mode);
        const std::int64_t size = isDir ? 0 : fileSize(path);
        row.size = size > 0 ? size : existing != rows.end() ? existing->second.size : 0;
        row.first = existing != rows.end() ? existing->second.first : now;
        row.last = now;
        row.count = existing != rows.end() ? existing->second.count + 1 : 1;
        rows.insert_or_assign(path, std::move(row));
        changed();
    }
};

std::string historyHome()
{
    return globals().paths.applicationSupport(HistoryStore::supportName);
}

HistoryStore::HistoryStore(HistoryConfig config)
    : m_state(std::make_unique<State>(std::move(config)))
    , m_queue(makeSerialQueue("com.norvale.inkwarden.history"))
{
    if (!m_state->config.clock)
        m_state->config.clock = systemNow;
    State* state = m_state.get();
    WorkQueue* queue = m_queue.get();
    state->requestDelayedFlush = [state, queue] {
        queue->postAfter(state->config.flushInterval, [state] {
            state->flushScheduled = false;
            state->flush();
        });
    };
}

HistoryStore::HistoryStore(HistoryConfig config, TaskQueue& delays)
    : HistoryStore(std::move(config))
{
    State* state = m_state.get();
    WorkQueue* queue = m_queue.get();
    state->requestDelayedFlush = [state, queue, &delays, alive = std::weak_ptr(m_alive)] {
        delays.postAfter(state->config.flushInterval, [state, queue, alive] {
            if (alive.lock())
                queue->post([state] {
                    state->flushScheduled = false;
                    state->flush();
                });
        });
    };
}

HistoryStore::~HistoryStore() = default;

template<typename Work>
auto HistoryStore::onQueue(Work work) const
{
    assert(!m_queue->isCurrentThreadWorker() && "a waiting call of the history store was made from its own queue");
    using Result = decltype(work(*m_state));
    std::packaged_task<Result()> task([this, &work] { return work(*m_state); });
    auto result = task.get_future();
    m_queue->post([&task] { task(); });
    return result.get();
}

void HistoryStore::post(std::function<void(State&)> work)
{
    m_queue->post([state = m_state.get(), work = std::move(work)] { work(*state); });
}

void HistoryStore::record(std::string_view path, bool isDir, std::string mode, std::optional<double> now)
{
    std::string standardized = standardizedPath(path);
    // Paths that are no UTF-8 cannot be written in the history's JSON.
    if (standardized.empty() || !isValidUtf8(standardized))
        return;
    const double when = now ? *now : m_state->config.clock();
    post([path = std::move(standardized), isDir, mode = std::move(mode), when](State& state) mutable {
        state.record(path, isDir, std::move(mode), when);
    });
}

std::vector<HistoryRow> HistoryStore::all() const
{
    return onQueue([](State& state) {
        state.load();
        return state.sortedRows();
    });
}

std::size_t HistoryStore::count() const
{
    return onQueue([](State& state) {
        state.load();
        return state.rows.size();
    });
}

std::string HistoryStore::json(std::size_t limit) const
{
    const auto favourites = favorites();
    const auto pinned = pinnedPaths();
    const std::set<std::string> favouriteSet(favourites.begin(), favourites.end());
    const std::set<std::string> pinnedSet(pinned.begin(), pinned.end());
    const auto rows = all();
    const auto trimmed = onQueue([](State& state) { return state.trimmed; });
    const auto marks = [&](Json object, const std::string& path) {
        std::error_code error;
        object["gone"] = !std::filesystem::exists(path, error);
        object["fav"] = favouriteSet.count(path) > 0;
        object["pin"] = pinnedSet.count(path) > 0;
        return object;
    };
    Json listed = Json::array();
    std::set<std::string> emitted;
    for (std::size_t index = 0; index < rows.size() && index < limit; ++index) {
        listed.push_back(marks(rowJson(rows[index]), rows[index].path));
        emitted.insert(rows[index].path);
    }
    std::set<std::string> marked = favouriteSet;
    marked.insert(pinnedSet.begin(), pinnedSet.end());
    for (const auto& path : marked) {
        if (emitted.count(path))
            continue;
        HistoryRow bare { .path = path, .name = lastPathComponent(path), .ext = lowerExtension(path), .folder = parentPath(path), .mode = {} };
        listed.push_back(marks(rowJson(bare), path));
    }
    const Json page { { "v", 1 }, { "total", rows.size() }, { "trimmed", trimmed }, { "favs", favourites.size() },
        { "pins", pinned.size() }, { "rows", std::move(listed) } };
    try {
        return scriptSafe(page.dump());
    } catch (const Json::exception&) {
        return "{\"v\":1,\"rows\":[]}";
    }
}

std::vector<std::string> HistoryStore::favorites() const
{
    return onQueue([](State& state) { return state.favs.sorted(state.files()); });
}

std::vector<std::string> HistoryStore::pinnedPaths() const
{
    return onQueue([](State& state) { return state.pins.sorted(state.files()); });
}

bool HistoryStore::setFavorite(std::string_view path, bool favorite)
{
    const std::string standardized = standardizedPath(path);
    if (standardized.empty() || !isValidUtf8(standardized))
        return false;
    return onQueue([&](State& state) { return state.favs.set(state.files(), state.config.home, standardized, favorite); });
}

bool HistoryStore::setPinned(std::string_view path, bool pinned)
{
    const std::string standardized = standardizedPath(path);
    if (standardized.empty() || !isValidUtf8(standardized))
        return false;
    return onQueue([&](State& state) { return state.pins.set(state.files(), state.config.home, standardized, pinned); });
}

bool HistoryStore::toggleFavorite(std::string_view path)
{
    return setFavorite(path, !isFavorite(path));
}

bool HistoryStore::togglePinned(std::string_view path)
{
    return setPinned(path, !isPinned(path));
}

bool HistoryStore::isFavorite(std::string_view path) const
{
    const std::string standardized = standardizedPath(path);
    return onQueue([&](State& state) {
        state.favs.load(state.files());
        return state.favs.paths.count(standardized) > 0;
    });
}

bool HistoryStore::isPinned(std::string_view path) const
{
    const std::string standardized = standardizedPath(path);
    return onQueue([&](State& state) {
        state.pins.load(state.files());
        return state.pins.paths.count(standardized) > 0;
    });
}

std::vector<std::string> HistoryStore::clearPins()
{
    return onQueue([](State& state) {
        state.pins.load(state.files());
        state.pins.paths.clear();
        state.pins.save(state.files(), state.config.home);
        return state.pins.sorted(state.files());
    });
}

void HistoryStore::forget(std::string_view path)
{
    post([path = standardizedPath(path)](State& state) {
        state.load();
        state.rows.erase(path);
        state.changed();
    });
}

void HistoryStore::clear()
{
    post([](State& state) {
        state.load();
        state.rows.clear();
        state.changed();
    });
}

void HistoryStore::migrateRecentsIfNeeded(std::vector<RecentItem> items)
{
    post([items = std::move(items)](State& state) {
        state.load();
        if (!state.rows.empty() || items.empty())
            return;
        for (const auto& item : items) {
            if (!isValidUtf8(item.path))
                continue;
            state.rows.insert_or_assign(item.path, HistoryRow {
                .path = item.path, .name = lastPathComponent(item.path), .ext = lowerExtension(item.path), .isDir = item.isDir,
                .size = 0, .folder = parentPath(item.path), .mode = "recent", .first = item.ts, .last = item.ts, .count = 1 });
        }
        state.changed();
    });
}

void HistoryStore::flushNow()
{
    onQueue([](State& state) {
        state.flush();
        return 0;
    });
}

std::string HistoryStore::path() const { return m_state->history.path; }
std::string HistoryStore::favPath() const { return m_state->favs.file.path; }
std::string HistoryStore::pinPath() const { return m_state->pins.file.path; }

}
