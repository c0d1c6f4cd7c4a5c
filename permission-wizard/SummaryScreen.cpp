#include "permission-wizard/SummaryScreen.h"

#include <array>

namespace ikw::wizard {

namespace {

// A word from zero to nine, digits from 10 on.
std::string countText(std::size_t count)
{
    static constexpr std::array<std::string_view, 10> words { "zero", "one", "two", "three", "four", "five", "six",
        "seven", "eight", "nine" };
    return count < words.size() ? std::string(words[count]) : std::to_string(count);
}

}

std::string summarySubtitle(std::string_view productName, std::size_t count)
{
    const std::string name(productName);
    if (count == 1)
        return name + " needs one permission from the system. Here is what it is for.";
    return name + " needs " + countText(count) + " permissions from the system. Here is what each one is for.";
}

std::string SummaryScreen::title() const { return "Set up " + product.name; }

std::string SummaryScreen::subtitle() const { return summarySubtitle(product.name, permissions.size()); }

std::string SummaryScreen::note() const
{
    return "You can change any of these later in Settings, or from " + product.name + " Settings.";
}

std::vector<SummaryRow> SummaryScreen::rows() const
{
    std::vector<SummaryRow> rows;
    rows.reserve(permissions.size());
    for (const auto& permission : permissions) {
        rows.push_back({
            .id = permission.id,
            .title = permission.title,
            .benefit = permission.benefit,
            .granted = isGrantedIn(granted, permission.id),
            .isOptional = permission.isOptional,
        });
    }
    return rows;
}

}
