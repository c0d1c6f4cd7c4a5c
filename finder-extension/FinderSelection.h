#pragma once

// The items the user selected in the file manager, as the extension keeps them between showing its
// menu and acting on a choice. GLib only.

#include <gio/gio.h>

#include <optional>
#include <string>
#include <vector>

namespace ikw::finderext {

struct SelectedItem {
    std::string name;                     // the item's own name, decoded (also for remote items)
    std::optional<std::string> localPath; // absent for items that have no local path (sftp:, smb:, …)

    bool operator==(const SelectedItem&) const = default;
};

using Selection = std::vector<SelectedItem>;

// The item at `location`: its name from g_file_get_basename, its path from g_file_get_path. When
// the location has no local path but `target`, where the item leads, has one (an entry of the file
// manager's Recent view leads to the file itself), the item is the target.
SelectedItem selectedItem(GFile* location, GFile* target = nullptr);

// The local paths of the selection in its order; items without one are skipped.
std::vector<std::string> localPaths(const Selection& selection);

}
