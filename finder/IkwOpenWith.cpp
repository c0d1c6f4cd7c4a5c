#include "finder/IkwOpenWith.h"

#include "platform/core/Paths.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace ikw::finder {

namespace {

constexpr std::string_view kEntrySuffix = ".desktop";
// The desktop ids of the entries Wine publishes for the Windows programs it runs.
constexpr std::string_view kWindowsProgramPrefix = "wine-";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The run of digits starting at `at`, without its leading zeros.
std::string_view digitRun(const std::string& text, std::size_t& at)
{
    const std::size_t start = at;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    std::string_view run(text.data() + start, at - start);
    while (run.size() > 1 && run.front() == '0')
        run.remove_prefix(1);
    return run;
}

int compareNumbers(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

// The last occurrence of `needle` in `text`, ignoring the case of ASCII letters.
std::size_t findLastIgnoringCase(std::string_view text, std::string_view needle)
{
    if (needle.size() > text.size())
        return std::string_view::npos;
    for (std::size_t at = text.size() - needle.size() + 1; at-- > 0;) {
        const bool same = std::equal(needle.begin(), needle.end(), text.begin() + static_cast<std::ptrdiff_t>(at), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
        });
        if (same)
            return at;
    }
    return std::string_view::npos;
}

bool isTrashFolderName(std::string_view component)
{
    // The freedesktop trash: ~/.local/share/Trash, and a volume's .Trash/<uid> or .Trash-<uid>.
    return component == ".Trash" || component == "Trash" || component.starts_with(".Trash-")
        || component.ends_with(" Trash");
}

}

int compareVersions(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            if (const int order = compareNumbers(digitRun(a, i), digitRun(b, j)))
                return order;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

IkwOpenWith::IkwOpenWith(ui::Workspace& workspace, std::string dataHome)
    : m_workspace(workspace)
    , m_dataHome(std::move(dataHome))
{
}

const IkwOpenWith::EntryFacts& IkwOpenWith::facts(const ui::ApplicationEntry& app)
{
    const auto known = m_entries.find(app.file);
    if (known != m_entries.end())
        return known->second;
    return m_entries.emplace(app.file, EntryFacts { app.id, app.name, app.version }).first->second;
}

std::optional<ui::ApplicationEntry> IkwOpenWith::defaultFor(const std::string& document)
{
    auto application = m_workspace.defaultApplicationFor(document);
    if (!application || application->file.empty())
        return std::nullopt;
    return ui::ApplicationEntry { std::move(application->file), std::move(application->id), std::move(application->name), {}, std::nullopt };
}

std::vector<ui::ApplicationEntry> IkwOpenWith::apps(const std::string& document, const std::optional<ui::ApplicationEntry>& first)
{
    std::vector<ui::ApplicationEntry> candidates = m_workspace.applicationsFor(document);
    const auto isFirst = [&first](const ui::ApplicationEntry& app) { return first && app.file == first->file; };
    if (first && std::none_of(candidates.begin(), candidates.end(), isFirst))
        candidates.insert(candidates.begin(), *first);

    std::map<std::string, ui::ApplicationEntry> chosen; // by id
    std::vector<std::string> ids;                       // in order of first appearance
    std::vector<ui::ApplicationEntry> unidentified;
    for (auto& candidate : candidates) {
        if (isTrashed(candidate.file) && !isFirst(candidate))
            continue;
        const std::string id = facts(candidate).id;
        if (id.empty()) {
            unidentified.push_back(std::move(candidate));
            continue;
        }
        const auto seen = chosen.find(id);
        if (seen == chosen.end()) {
            chosen.emplace(id, std::move(candidate));
            ids.push_back(id);
            continue;
        }
        ui::ApplicationEntry& kept = seen->second;
        if (!isFirst(kept) && (isFirst(candidate) || better(candidate, kept)))
            kept = std::move(candidate);
    }
    std::vector<ui::ApplicationEntry> result;
    result.reserve(ids.size() + unidentified.size());
    for (const auto& id : ids)
        result.push_back(std::move(chosen.at(id)));
    std::move(unidentified.begin(), unidentified.end(), std::back_inserter(result));
    return result;
}

std::map<std::string, std::string> IkwOpenWith::labels(const std::vector<ui::ApplicationEntry>& apps)
{
    std::map<std::string, std::string> labels;
    for (const auto& app : apps) {
        std::string label = name(app);
        if (facts(app).id.starts_with(kWindowsProgramPrefix))
            label += " (Windows)";
        labels[app.file] = std::move(label);
    }
    std::map<std::string, int> uses;
    for (const auto& [file, label] : labels)
        ++uses[label];
    for (const auto& app : apps) {
        std::string& label = labels[app.file];
        if (const std::string shown = version(app); uses[label] > 1 && !shown.empty())
            label += " (" + shown + ")";
    }
    return labels;
}

std::string IkwOpenWith::name(const ui::ApplicationEntry& app)
{
    if (const std::string& given = facts(app).name; !isBlank(given))
        return given;
    const std::string file = lastPathComponent(app.file);
    const std::size_t suffix = findLastIgnoringCase(file, kEntrySuffix);
    return suffix == std::string::npos || suffix == 0 ? file : file.substr(0, suffix);
}

bool IkwOpenWith::isTrashed(const std::string& entryFile)
{
    std::string_view rest = entryFile;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        if (isTrashFolderName(rest.substr(0, slash)))
            return true;
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return false;
}

int IkwOpenWith::score(const std::string& entryFile) const
{
    const std::string folder = parentPath(entryFile);
    if (folder == m_dataHome + "/applications" || folder == "/usr/share/applications")
        return 3;
    if (folder == "/usr/local/share/applications" || folder == "/var/lib/flatpak/exports/share/applications"
        || folder == m_dataHome + "/flatpak/exports/share/applications")
        return 2;
    return 1;
}

std::string IkwOpenWith::version(const ui::ApplicationEntry& app)
{
    return facts(app).version;
}

bool IkwOpenWith::better(const ui::ApplicationEntry& a, const ui::ApplicationEntry& b)
{
    if (const int scoreA = score(a.file), scoreB = score(b.file); scoreA != scoreB)
        return scoreA > scoreB;
    if (const int order = compareVersions(version(a), version(b)))
        return order > 0;
    using Time = std::chrono::system_clock::time_point;
    return a.modified.value_or(Time::min()) > b.modified.value_or(Time::min());
}

}
