// Real clients reach the running program: the file manager's hand-off URL opened with `gio open`
// through our desktop entry, and the exported open action called with `gapplication action`.
#include "finder-extension/HandoffUrl.h"
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"
#include "tests/support/WindowScript.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <cstdlib>
#include <memory>

namespace ikw {
namespace {

// Starts the program with one document and waits for its window, then opens the hand-off URL
// with gio and calls the open action with gapplication, reporting the X window that carries each
// document's title ("<name>=<window id>") and each client's exit status. Data arrive as
// positional parameters only.
constexpr const char* kScript = R"sh(app=$1; installer=$2; first_doc=$3; url=$4; url_doc=$5; uris=$6; action_doc=$7
"$installer" "$app" >/dev/null || echo "installer failed"
"$app" "$first_doc" & running=$!
wait_for "$(basename "$first_doc")"
gio open "$url"; echo "gio=$?"
wait_for "$(basename "$url_doc")"
gapplication action com.norvale.inkwarden openInQEL "$uris"; echo "gapplication=$?"
wait_for "$(basename "$action_doc")"
kill "$running"; wait "$running" 2>/dev/null; true
)sh";

// The action's parameter in GVariant text: "['file:///…']".
std::string uriListText(const std::string& path)
{
    const std::unique_ptr<char, decltype(&g_free)> uri(g_filename_to_uri(path.c_str(), nullptr, nullptr), g_free);
    const char* uris[] = { uri.get(), nullptr };
    GVariant* list = g_variant_ref_sink(g_variant_new_strv(uris, -1));
    const std::unique_ptr<char, decltype(&g_free)> text(g_variant_print(list, FALSE), g_free);
    g_variant_unref(list);
    return text.get();
}

TEST(FinderHandoff, RealClientsOpenDocumentsInTheRunningInstance)
{
    testing::TempHome home;
    unsetenv("IKW_RESOURCES_DIR"); // the build's own bundle, with the stand-in engine
    const auto first = testing::writeTestFile(home.file("Matter/first.pdf"), "%PDF-1.4\n");
    const auto viaUrl = testing::writeTestFile(home.file("Matter/Q3 Board & Notes.pdf"), "%PDF-1.4\n");
    const auto viaAction = testing::writeTestFile(home.file("Matter/action #2.pdf"), "%PDF-1.4\n");

    ProcessOptions options;
    options.argv = { "dbus-run-session", "--", "/bin/bash", "-c", std::string(testing::kWindowWaitFunctions) + kScript, "handoff-test", IKW_APP_BINARY, IKW_INSTALL_DESKTOP_ENTRY,
        first, *finderext::handoffUrl("open", { viaUrl }), viaUrl, uriListText(viaAction), viaAction };
    options.timeoutSeconds = 120;
    const auto result = runProcess(options);
    const auto values = testing::reportedValues(result.standardOutput);
    const auto value = [&values](const std::string& key) { return values.count(key) ? values.at(key) : std::string(); };

    ASSERT_FALSE(value("first.pdf").empty()) << result.standardOutput << result.standardError;
    EXPECT_EQ(value("gio"), "0") << result.standardError;
    EXPECT_EQ(value("gapplication"), "0") << result.standardError;
    // Both arrived as tabs of the running instance's window.
    EXPECT_EQ(value("Q3 Board & Notes.pdf"), value("first.pdf")) << result.standardOutput << result.standardError;
    EXPECT_EQ(value("action #2.pdf"), value("first.pdf")) << result.standardOutput << result.standardError;
}

}
}
