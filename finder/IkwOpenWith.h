#pragma once

#include "platform/ui/Desktop.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ikw::finder {

// Orders version texts with runs of digits compared as numbers ("10.2" after "9.9"), everything
// else character by character: negative, zero or positive as `a` sorts before, with or after `b`.
int compareVersions(const std::string& a, const std::string& b);

// The applications able to open a document, one copy of each (the best by where its desktop entry
// lies, its version and its date), with names and menu labels that tell them apart. An
// application is named by its desktop entry's file; what an entry says of itself (id, name,
// version) is read once per file and kept for the life of the object, which the application keeps
// for the life of the process. Main thread only.
class IkwOpenWith {
public:
    // `dataHome` is the user's data folder ($XDG_DATA_HOME), where the user's own entries lie.
    IkwOpenWith(ui::Workspace& workspace, std::string dataHome);

    // The desktop's default application for the document, as an entry; nothing without one.
    std::optional<ui::ApplicationEntry> defaultFor(const std::string& document);
    // The desktop's applications for the document, in its order, with `first` in front when the
    // desktop does not list it; copies in a trash are dropped (never `first`), and of several
    // copies of one id only `first` or else the best stays, where the id first occurred. Entries
    // without an id follow, in their order.
    std::vector<ui::ApplicationEntry> apps(const std::string& document, const std::optional<ui::ApplicationEntry>& first);
    // A label per entry file: its name, " (Windows)" for the programs Wine publishes, and, when
    // the name is still shared, " (<version>)" where there is a version.
    std::map<std::string, std::string> labels(const std::vector<ui::ApplicationEntry>& apps);
    // The name the entry gives, else its file's name without ".desktop".
    std::string name(const ui::ApplicationEntry& app);

    static bool isTrashed(const std::string& entryFile);
    // 3 for the user's and the system's application folders, 2 for /usr/local and flatpak's
    // exports, 1 for anywhere else (their subfolders too).
    int score(const std::string& entryFile) const;
    std::string version(const ui::ApplicationEntry& app);
    // Whether `a` is the better of two copies: the higher score, then the later version, then the
    // strictly later date (none counts as the distant past).
    bool better(const ui::ApplicationEntry& a, const ui::ApplicationEntry& b);

private:
    struct EntryFacts {
        std::string id;
        std::string name;
        std::string version;
    };
    const EntryFacts& facts(const ui::ApplicationEntry& app);

    ui::Workspace& m_workspace;
    std::string m_dataHome;
    std::map<std::string, EntryFacts> m_entries; // by entry file
};

}
