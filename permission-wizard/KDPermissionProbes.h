#pragma once

#include <string_view>

namespace ikw::wizard {

// The stock probes and prompts a host can build its permissions from. The desktop keeps no
// per-application grant for any of these (no trust list, no screen-capture or input-monitoring
// permission, no protected file database), so each probe answers true and the prompts have no
// dialog to show.
struct KDPermissionProbes {
    static bool accessibility();
    static bool screenRecording();
    static bool canCreateListenOnlyEventTap(); // input monitoring
    static bool canReadOtherWindows();
    static bool fullDiskAccess();

    static void requestAccessibilityPrompt();
    static void requestScreenRecordingPrompt();

    // The settings deep links, kept as the product's data: the copy lint holds every
    // permission to links of this form.
    struct Pane {
        static constexpr std::string_view accessibility = "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
        static constexpr std::string_view screenRecording = "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture";
        static constexpr std::string_view inputMonitoring = "x-apple.systempreferences:com.apple.preference.security?Privacy_ListenEvent";
        static constexpr std::string_view fullDisk = "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";
        static constexpr std::string_view microphone = "x-apple.systempreferences:com.apple.preference.security?Privacy_Microphone";
        static constexpr std::string_view camera = "x-apple.systempreferences:com.apple.preference.security?Privacy_Camera";
        static constexpr std::string_view automation = "x-apple.systempreferences:com.apple.preference.security?Privacy_Automation";
        static constexpr std::string_view loginItems = "x-apple.systempreferences:com.apple.LoginItems-Settings.extension";
    };
};

}
