#pragma once

#include "app/RecentItems.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/WorkQueue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::library {

// One path the user opened.
struct HistoryRow {
    std::string path; // standardized; the row's key
    std::string name;
    std::string ext;  // lower case, "" when none
    bool isDir = false;
    std::int64_t size = 0;
    std::string folder;
    std::string mode; // "open" (recorded), "recent" (imported)
    double first = 0; // seconds since 1970
    double last = 0;
    int count = 0;

    bool operator==(const HistoryRow&) const = default;
};

struct HistoryConfig {
    // The folder of history.json, favorites.json and pins.json.
    std::string home;
    // From the first unsaved change to the write of history.json.
    double flushInterval = 4.0;
    FileSystem* fileSystem = &realFileSystem();
    // Seconds since 1970.
    std::function<double()> clock;
};

// The opened-files history, with the favourite and pinned paths. All state lives on one serial
// queue: `record`, `forget`, `clear` and `migrateRecentsIfNeeded` return at once, the other calls
// wait for the queue (never call them from it). Rows reach history.json at most `flushInterval`
// after a change; favourites and pins are written before their call returns. A file that cannot
// be read is kept as "<name>.bad" before it is first overwritten.
class HistoryStore {
public:
    static constexpr const char* supportName = "Inkwarden";
    static constexpr std::size_t hardCap = 50000;
    static constexpr std::size_t defaultPageLimit = 5000;

    // Delayed writes are timed on the store's own queue.
    explicit HistoryStore(HistoryConfig config);
    // Delayed writes are timed by `delays` (a manual queue with a fake clock in tests), which
    // must outlive the store.
    HistoryStore(HistoryConfig config, TaskQueue& delays);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    void record(std::string_view path, bool isDir, std::string mode, std::optional<double> now = std::nullopt);
    // Most recently opened first.
    std::vector<HistoryRow> all() const;
    std::size_t count() const;
    // The File History page's data: the first `limit` rows, then the favourite and pinned paths
    // without a row among them.
    std::string json(std::size_t limit = defaultPageLimit) const;

    std::vector<std::string> favorites() const;
    std::vector<std::string> pinnedPaths() const;
    bool setFavorite(std::string_view path, bool favorite);
    bool setPinned(std::string_view path, bool pinned);
    bool toggleFavorite(std::string_view path);
    bool togglePinned(std::string_view path);
    bool isFavorite(std::string_view path) const;
    bool isPinned(std::string_view path) const;
    // Empties the pins; returns them afterwards (always empty).
    std::vector<std::string> clearPins();

    void forget(std::string_view path);
    void clear();
    // Fills an empty store from the recent items, paths taken as they are.
    void migrateRecentsIfNeeded(std::vector<RecentItem> items);
    // Writes pending rows now (the application's termination).
    void flushNow();

    std::string path() const;
    std::string favPath() const;
    std::string pinPath() const;

private:
    struct State;
    template<typename Work>
    auto onQueue(Work work) const;
    void post(std::function<void(State&)> work);

    std::unique_ptr<State> m_state;
    // Destroyed first: its worker finishes before the state goes.
    std::unique_ptr<WorkQueue> m_queue;
    // Tells delayed writes timed elsewhere that the store is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// The store's folder: the product's support folder.
std::string historyHome();

}
