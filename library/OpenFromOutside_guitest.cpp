// The built program opens what it is started with, and a second start hands its files to the
// running instance, which shows them as tabs of its window.
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"
#include "tests/support/WindowScript.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ikw {
namespace {

// Starts the program with one document, waits for its window, starts it again with another, and
// reports the X window that carries each document's title ("<name>=<window id>") and the second
// start's exit status. Data arrive as positional parameters only.
constexpr const char* kScript = R"sh(app=$1; first_doc=$2; second_doc=$3
"$app" "$first_doc" & first=$!
wait_for "$(basename "$first_doc")"
"$app" "$second_doc"; echo "second=$?"
wait_for "$(basename "$second_doc")"
kill "$first"; wait "$first" 2>/dev/null; true
)sh";

TEST(OpenFromOutside, ASecondStartHandsItsDocumentToTheRunningWindow)
{
    testing::TempHome home;
    unsetenv("IKW_RESOURCES_DIR"); // the build's own bundle, with the stand-in engine
    const auto first = testing::writeTestFile(home.file("Matter/a.pdf"), "%PDF-1.4\n");
    const auto second = testing::writeTestFile(home.file("Matter/b.pdf"), "%PDF-1.4\n");

    ProcessOptions options;
    options.argv = { "dbus-run-session", "--", "/bin/bash", "-c", std::string(testing::kWindowWaitFunctions) + kScript, "open-test",
        IKW_APP_BINARY, first, second };
    options.timeoutSeconds = 90;
    const auto result = runProcess(options);
    const auto values = testing::reportedValues(result.standardOutput);

    ASSERT_FALSE(values.count("a.pdf") == 0 || values.at("a.pdf").empty()) << result.standardOutput << result.standardError;
    EXPECT_EQ(values.count("second") ? values.at("second") : "", "0");
    // The same window now shows b.pdf: the running instance opened it as a tab.
    EXPECT_EQ(values.count("b.pdf") ? values.at("b.pdf") : "", values.at("a.pdf")) << result.standardOutput;
}

}
}
