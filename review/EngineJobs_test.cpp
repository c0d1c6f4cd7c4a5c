#include "review/EngineJobs.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ikw {
namespace {

using testing::EngineTestHome;

// Answers with the text of IKW_TEST_ANSWER (nothing when unset), then exits with IKW_TEST_EXIT.
constexpr const char* kScriptedEngine = R"(import json, os, sys
answer = os.environ.get("IKW_TEST_ANSWER")
if answer == "ARGV":
    answer = json.dumps(sys.argv[1:])
if answer is not None:
    open(sys.argv[3], "w").write(answer)
sys.exit(int(os.environ.get("IKW_TEST_EXIT", "0")))
)";

template<typename Result, typename Start>
Result waitFor(EngineTestHome& home, Start start)
{
    auto result = std::make_shared<std::optional<Result>>();
    start([result](Result value) { *result = std::move(value); });
    EXPECT_TRUE(home.mainQueue.runUntil([&] { return result->has_value(); }, 20));
    return result->value_or(Result {});
}

std::vector<std::string> leftoverJobFiles(const std::string& archive)
{
    std::vector<std::string> names;
    if (std::filesystem::exists(archive)) {
        for (const auto& entry : std::filesystem::directory_iterator(archive))
            names.push_back(entry.path().filename());
    }
    return names;
}

TEST(EngineJobs, AnswersAreReadFromTheOutputFileWhateverTheExitStatus)
{
    EngineTestHome home;
    testing::writeEngineScript(home.path(), "rurede_gen.py", kScriptedEngine);
    struct Case {
        const char* answer; // nullptr: the script writes nothing
        const char* exitStatus;
        std::optional<std::string> pdf;
        bool probeGivesObject;
    };
    const Case cases[] = {
        { R"({"pdf": "/tmp/x.pdf"})", "1", "/tmp/x.pdf", true },
        { R"({"pdf": 5})", "0", std::nullopt, true },
        { R"({"pdf": ""})", "0", std::nullopt, true },
        { R"(["pdf"])", "0", std::nullopt, false },
        { "not json", "0", std::nullopt, false },
        { nullptr, "0", std::nullopt, false },
    };
    for (const Case& c : cases) {
        if (c.answer)
            ::setenv("IKW_TEST_ANSWER", c.answer, 1);
        else
            ::unsetenv("IKW_TEST_ANSWER");
        ::setenv("IKW_TEST_EXIT", c.exitStatus, 1);
        const auto pdf = waitFor<std::optional<std::string>>(home, [](auto done) { convertToPDF("/doc.docx", done); });
        EXPECT_EQ(pdf, c.pdf) << (c.answer ? c.answer : "(none)");
        const auto probe = waitFor<std::optional<Json>>(home, [](auto done) { editProbe("/doc.docx", done); });
        EXPECT_EQ(probe.has_value(), c.probeGivesObject) << (c.answer ? c.answer : "(none)");
    }
    EXPECT_TRUE(leftoverJobFiles(home.globals.get().archive).empty());
    ::unsetenv("IKW_TEST_ANSWER");
    ::unsetenv("IKW_TEST_EXIT");
}

TEST(EngineJobs, PathsReachTheScriptAsTheyAreAndEachJobHasItsOwnOutput)
{
    EngineTestHome home;
    testing::writeEngineScript(home.path(), "rurede_gen.py", kScriptedEngine);
    ::setenv("IKW_TEST_ANSWER", "ARGV", 1);
    const std::string awkward = home.path() + "/My \"draft\" $HOME `id` 'x'.docx";

    auto first = std::make_shared<std::optional<std::string>>();
    auto second = std::make_shared<std::optional<std::string>>();
    runEngineJob(kEditProbeJob, awkward, [first](std::optional<std::string> text) { *first = text.value_or("none"); });
    runEngineJob(kEditProbeJob, awkward, [second](std::optional<std::string> text) { *second = text.value_or("none"); });
    ASSERT_TRUE(home.mainQueue.runUntil([&] { return first->has_value() && second->has_value(); }, 20));

    const auto a = parseJson(**first);
    const auto b = parseJson(**second);
    ASSERT_TRUE(a && b) << **first << " " << **second;
    EXPECT_EQ((*a)[0], "--edit-probe");
    EXPECT_EQ((*a)[1], awkward);
    EXPECT_EQ((*b)[1], awkward);
    const std::string outputA = (*a)[2], outputB = (*b)[2];
    EXPECT_NE(outputA, outputB);
    EXPECT_TRUE(outputA.starts_with(home.globals.get().archive + "/.editprobe-")) << outputA;
    EXPECT_FALSE(std::filesystem::exists(outputA));
    EXPECT_FALSE(std::filesystem::exists(outputB));
    ::unsetenv("IKW_TEST_ANSWER");
}

TEST(EngineJobs, TheStandInEngineAnswersItsJobs)
{
    EngineTestHome home;
    testing::installStandInEngine(home.path());
    const std::string text = testing::writeTestFile(home.path() + "/notes (v2).txt", "Hello\nworld\n");
    const auto pdf = waitFor<std::optional<std::string>>(home, [&](auto done) { convertToPDF(text, done); });
    ASSERT_TRUE(pdf);
    EXPECT_TRUE(testing::readTestFile(*pdf).starts_with("%PDF-"));

    const auto probe = waitFor<std::optional<Json>>(home, [&](auto done) { editProbe(text, done); });
    ASSERT_TRUE(probe);
    EXPECT_EQ((*probe)["editable"], true);

    const std::string table = testing::writeTestFile(home.path() + "/t.csv", "a,b\n1,2\n");
    const auto grid = waitFor<std::optional<std::string>>(home, [&](auto done) { runEngineJob(kGridJsonJob, table, done); });
    EXPECT_EQ(parseJson(grid.value_or("")).value_or(Json())["rows"], Json::parse(R"([["a","b"],["1","2"]])"));

    const std::string draft = testing::writeTestFile(home.path() + "/v2.txt", "Hello\nthere\n");
    const std::string job = testing::writeTestFile(home.path() + "/.tl-job.json", toJson(Json { { "paths", { text, draft } }, { "meta", true } }));
    const auto timeline = waitFor<std::optional<std::string>>(home, [&](auto done) { runEngineJob(kMultiDiffJob, job, done); });
    EXPECT_EQ(parseJson(timeline.value_or("")).value_or(Json())["diffs"]["0>1"]["added"], Json({ "there" }));
}

TEST(EngineJobs, AStuckJobIsEndedAfterTheIdleTimeOut)
{
    EngineTestHome home;
    testing::writeEngineScript(home.path(), "rurede_gen.py", "import sys, time\nopen(sys.argv[3], 'w').write('{}')\ntime.sleep(60)");
    const auto started = std::chrono::steady_clock::now();
    const auto probe = waitFor<std::optional<Json>>(home, [](auto done) { editProbe("/doc.txt", done, EngineRunOptions { .idleTimeoutSeconds = 0.5, .interpreter = {} }); });
    EXPECT_FALSE(probe);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(leftoverJobFiles(home.globals.get().archive).empty());
}

}
}
