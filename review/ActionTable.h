#pragma once

#include "platform/core/Log.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// Host name to handler: the page-to-native protocol of one kind of window. Features add their own
// rows; a host with no row is ignored (and logged once, so a page that keeps sending an action no
// feature handles yet does not flood the log). Main thread only.
template<typename Action>
class ActionTable {
public:
    using Handler = std::function<void(const Action&)>;

    explicit ActionTable(std::string tableName) : m_tableName(std::move(tableName)) {}

    // Every name runs the same handler. A name already taken keeps its first handler: two
    // features claiming one action is a wiring mistake, reported rather than silently resolved.
    void add(std::initializer_list<std::string_view> hosts, const Handler& handler)
    {
        for (const std::string_view host : hosts) {
            if (!m_rows.emplace(std::string(host), handler).second)
                logLine(m_tableName + ": the action \"" + std::string(host) + "\" is registered twice; the first one stays");
        }
    }
    void add(std::string_view host, const Handler& handler) { add({ host }, handler); }

    bool contains(std::string_view host) const { return m_rows.find(host) != m_rows.end(); }

    std::vector<std::string> hosts() const
    {
        std::vector<std::string> names;
        for (const auto& [name, handler] : m_rows)
            names.push_back(name);
        return names;
    }

    // Runs the host's row; false when there is none.
    bool dispatch(std::string_view host, const Action& action)
    {
        const auto row = m_rows.find(host);
        if (row == m_rows.end()) {
            if (m_loggedUnknown.emplace(host).second)
                logLine(m_tableName + ": no handler for the action \"" + std::string(host) + "\"; ignored");
            return false;
        }
        row->second(action);
        return true;
    }

private:
    std::string m_tableName;
    std::map<std::string, Handler, std::less<>> m_rows;
    std::set<std::string, std::less<>> m_loggedUnknown;
};

}
