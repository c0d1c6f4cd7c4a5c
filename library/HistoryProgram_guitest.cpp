// The built program keeps its file history across a quick quit: a document opened a moment
// before SIGTERM is in history.json afterwards, though the store writes only every few seconds.
#include "platform/core/Json.h"
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"
#include "tests/support/WindowScript.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ikw {
namespace {

constexpr const char* kScript = R"sh(app=$1; doc=$2
"$app" "$doc" & pid=$!
wait_for "$(basename "$doc")"
kill -TERM "$pid"; wait "$pid"; echo "exit=$?"
)sh";

TEST(HistoryProgram, AQuitRightAfterAnOpeningKeepsItsRow)
{
    testing::TempHome home;
    unsetenv("IKW_RESOURCES_DIR"); // the build's own bundle, with the stand-in engine
    // Files in temporary folders are not recorded: the document sits in the test's working folder.
    std::string folder = std::filesystem::absolute("history-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const auto document = testing::writeTestFile(folder + "/Lease.pdf", "%PDF-1.4\n");
    struct Cleanup {
        std::string folder;
        ~Cleanup() { testing::removeTree(folder); }
    } cleanup { folder };

    ProcessOptions options;
    options.argv = { "dbus-run-session", "--", "/bin/bash", "-c", std::string(testing::kWindowWaitFunctions) + kScript, "history-test",
        IKW_APP_BINARY, document };
    options.timeoutSeconds = 90;
    const auto result = runProcess(options);
    const auto values = testing::reportedValues(result.standardOutput);
    EXPECT_EQ(values.count("exit") ? values.at("exit") : "", "0") << result.standardOutput << result.standardError;

    const auto history = parseJson(testing::readTestFile(home.file(".local/share/Inkwarden/history.json"))).value_or(Json());
    ASSERT_TRUE(history.contains("rows")) << result.standardError;
    ASSERT_EQ(history["rows"].size(), 1u);
    EXPECT_EQ(history["rows"][0]["path"], document);
    EXPECT_EQ(history["rows"][0]["mode"], "open");
}

}
}
