#include "review/EngineRunner.h"
#include "platform/core/Json.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw {
namespace {

using testing::EngineTestHome;

struct RunOutcome {
    std::vector<std::string> progress;
    std::optional<std::string> answer;
    bool progressAfterAnswer = false;
};

RunOutcome run(EngineTestHome& home, const std::string& script, bool withProgress, std::vector<std::string> arguments = {},
    EngineRunOptions options = {})
{
    auto outcome = std::make_shared<RunOutcome>();
    EngineProgress progress;
    if (withProgress) {
        progress = [outcome](const std::string& line) {
            outcome->progressAfterAnswer |= outcome->answer.has_value();
            outcome->progress.push_back(line);
        };
    }
    runOrganize(std::move(arguments), script, progress, [outcome](const std::string& json) { outcome->answer = json; }, options);
    EXPECT_TRUE(home.mainQueue.runUntil([&] { return outcome->answer.has_value(); }, 20));
    home.mainQueue.drain();
    return *outcome;
}

std::string defaultError() { return engineErrorAnswer(kEngineDefaultError); }

TEST(EngineRunner, ChoosesTheAnswerFromWhatTheScriptPrints)
{
    EngineTestHome home;
    testing::installStandInEngine(home.path());
    struct Case {
        const char* name;
        const char* body;
        std::string answer;
        std::vector<std::string> progress;
    };
    const Case cases[] = {
        { "whole", "print('{\\n  \"a\": [1,\\n 2]\\n}\\n')", "{\n  \"a\": [1,\n 2]\n}", {} },
        { "lastline", "print('working...'); print('{\"ok\": true}'); print('   '); print()", R"({"ok": true})", {} },
        { "crlf", "print('noise\\r\\n[1]\\r\\n', end='')", "[1]", {} },
        { "nojson", "print('all done')", defaultError(), {} },
        { "scalar", "print('\"text\"')", defaultError(), {} },
        { "blank", "print('  ')", defaultError(), {} },
        { "notutf8", "import sys; sys.stdout.buffer.write(b'{\"a\": \"\\xff\"}')", defaultError(), {} },
        { "progress",
          "import sys\nfor i in range(1, 4):\n    sys.stderr.write('%d/3\\r\\n' % i); sys.stderr.flush()\n"
          "sys.stderr.write('\\n  \\nunfinished'); print('{}')",
          "{}", { "1/3", "2/3", "3/3" } },
        { "failing", "import sys; print('{\"error\": \"no folder\"}'); sys.exit(3)", R"({"error": "no folder"})", {} },
    };
    for (const Case& c : cases) {
        testing::writeEngineScript(home.path(), std::string("app/") + c.name + ".py", c.body);
        const RunOutcome outcome = run(home, std::string(c.name) + ".py", true);
        EXPECT_EQ(outcome.answer, c.answer) << c.name;
        EXPECT_EQ(outcome.progress, c.progress) << c.name;
        EXPECT_FALSE(outcome.progressAfterAnswer) << c.name;
    }
    EXPECT_EQ(run(home, "missing.py", false).answer, defaultError());
}

TEST(EngineRunner, PassesArgumentsAndAFixedSearchPath)
{
    EngineTestHome home;
    testing::installStandInEngine(home.path());
    testing::writeEngineScript(home.path(), "app/echo.py",
        "import json, os, sys; print(json.dumps({'args': sys.argv[1:], 'path': os.environ['PATH']}))");
    const auto answer = parseJson(run(home, "echo.py", false, { "plan", "--folder", "/a \"b\" $c" }).answer.value_or(""));
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)["args"], Json({ "plan", "--folder", "/a \"b\" $c" }));
    EXPECT_EQ((*answer)["path"], kEngineSearchPath);
}

TEST(EngineRunner, AChattyScriptWithoutProgressHandlerStillFinishes)
{
    EngineTestHome home;
    testing::installStandInEngine(home.path());
    testing::writeEngineScript(home.path(), "app/chatty.py",
        "import sys\nline = 'x' * 1023 + '\\n'\nfor _ in range(5 * 1024):\n    sys.stderr.write(line)\nprint('{\"done\": 1}')");
    EXPECT_EQ(run(home, "chatty.py", false).answer, R"({"done": 1})");
}

TEST(EngineRunner, ASilentScriptIsEndedAfterTheIdleTimeOut)
{
    EngineTestHome home;
    testing::installStandInEngine(home.path());
    testing::writeEngineScript(home.path(), "app/stuck.py", "import time; print('{\"late\": 1}', flush=True); time.sleep(60)");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(run(home, "stuck.py", true, {}, EngineRunOptions { .idleTimeoutSeconds = 0.5, .interpreter = {} }).answer,
        R"({"error":"The engine stopped responding."})");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

// The AI and photo scripts' runners over one stand-in script that prints what its case asks for.
TEST(EngineRunner, TheAIAndSortRunnersPickTheirLastLineAndPassOnlyJson)
{
    EngineTestHome home;
    testing::installStandInEngine(home.path());
    const std::string body = R"PY(import sys
cases = {
    'blank': '\n{"ok": 1}\t \n\t\n\n',
    'cr': '{"a": 1}\r \t{"b": 2} \r\t\r',
    'traceback': '{"ok": 1}\nTraceback (most recent call last):\n',
    'name': '{"ok": 1}\nreport.pdf\n',
    'script': '[1]\nalert(1)//\n',
    'spaces': ' \t\n  \n',
}
sys.stderr.write('thinking\n' * 3)
sys.stdout.write(cases[sys.argv[1]])
)PY";
    testing::writeEngineScript(home.path(), std::string("app/") + kAIScript, body);
    testing::writeEngineScript(home.path(), std::string("app/") + kCulmoraScript, body);
    const std::string aiError = R"({"error":"Could not start the local AI engine."})";
    const std::string sortError = R"({"error":"Could not run the sort engine."})";
    struct Case {
        const char* name;
        std::string ai;
        std::string culmora;
    };
    const Case cases[] = {
        // Trailing blank lines and tabs: runAI trims the line it takes.
        { "blank", R"({"ok": 1})", "{\"ok\": 1}\t " },
        // Carriage returns end pieces only for the photo script's runner, which keeps the piece as it is.
        { "cr", aiError, " \t{\"b\": 2} " },
        { "traceback", aiError, sortError },
        { "name", aiError, sortError },
        { "script", aiError, sortError },
        { "spaces", aiError, sortError },
    };
    for (const Case& c : cases) {
        std::optional<std::string> ai, culmora;
        runAI({ c.name }, [&ai](const std::string& json) { ai = json; });
        runCulmora({ c.name }, [&culmora](const std::string& json) { culmora = json; });
        EXPECT_TRUE(home.mainQueue.runUntil([&] { return ai && culmora; }, 20)) << c.name;
        EXPECT_EQ(ai, c.ai) << c.name;
        EXPECT_EQ(culmora, c.culmora) << c.name;
    }
}

TEST(EngineRunner, EveryRunnerAnswersValidJsonWhenItsScriptIsMissingOrCannotStart)
{
    EngineTestHome home;
    const std::string engine = testing::installStandInEngine(home.path());
    for (const char* script : { kAIScript, kCulmoraScript, kOrganizeScript })
        std::filesystem::remove(engine + "/app/" + script);
    const EngineRunOptions cannotStart { .idleTimeoutSeconds = kEngineIdleTimeoutSeconds, .interpreter = home.path() + "/no \"such\" python" };
    for (const auto& options : { EngineRunOptions {}, cannotStart }) {
        std::vector<std::string> answers;
        const auto keep = [&answers](const std::string& json) { answers.push_back(json); };
        runAI({ "status" }, keep, options);
        runCulmora({ "apply" }, keep, options);
        runOrganize({ "plan" }, kOrganizeScript, {}, keep, options);
        EXPECT_TRUE(home.mainQueue.runUntil([&] { return answers.size() == 3; }, 20));
        for (const auto& answer : answers) {
            const auto parsed = parseJson(answer);
            ASSERT_TRUE(parsed && parsed->is_object()) << answer;
            EXPECT_TRUE((*parsed)["error"].is_string()) << answer;
        }
    }
}

TEST(EngineRunner, AStartFailureAnswersValidJsonWhateverTheMessage)
{
    EngineTestHome home;
    const std::string interpreter = home.path() + "/no \"such\" \\ python";
    const auto answer = parseJson(run(home, "plan.py", false, {}, EngineRunOptions { .idleTimeoutSeconds = kEngineIdleTimeoutSeconds, .interpreter = interpreter }).answer.value_or(""));
    ASSERT_TRUE(answer);
    ASSERT_TRUE((*answer)["error"].is_string());
    EXPECT_TRUE((*answer)["error"].get<std::string>().starts_with(interpreter + ": ")) << *answer;
    EXPECT_EQ(defaultError(), R"({"error":"Could not start the organizer engine."})");
}

}
}
