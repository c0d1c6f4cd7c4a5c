#pragma once

#include <string_view>

namespace ikw::finderext {

// The file name of the file manager's extension module, as installed in its extension folder.
// The application counts the extension as installed when this file is there.
inline constexpr std::string_view kModuleFileName = "libinkwarden-finder.so";

// The titles of the two hand-offs, the same in the file manager's menu and for the application's
// exported actions.
inline constexpr std::string_view kOpenTitle = "Open in Inkwarden";
inline constexpr std::string_view kShareTitle = "Share with Inkwarden";

// The application as the session knows it: its GApplication identifier (its name on the session
// bus) and its installed desktop entry.
inline constexpr std::string_view kApplicationId = "com.norvale.inkwarden";
inline constexpr std::string_view kDesktopEntryId = "com.norvale.inkwarden.desktop";

}
