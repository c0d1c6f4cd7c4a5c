// The built-in ask page in a real web view: filled for a folder whose path and file names hold
// markup and a line feed, it reads them back exactly, and its status and questions are answered by
// the stand-in AI script.
#include "assistants/AskDocuments.h"
#include "assistants/AssistantActions.h"
#include "library/LibraryLayer.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

#include <cstdlib>
#include <filesystem>

namespace ikw::assistants {
namespace {

constexpr double kTimeout = 30;

class AskOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    AskOnScreen()
    {
        registerActions(bridge->actions, { .organizer = nullptr, .ask = asker });
        ::setenv("IKW_STANDIN_AI_RUNNING", "0", 1);
    }
    ~AskOnScreen() override { ::unsetenv("IKW_STANDIN_AI_RUNNING"); }

    std::string waitForText(ReviewWC& window, const std::string& script)
    {
        std::string shown;
        ui::gtk3::runMainLoopUntil([&] { return !(shown = ask(window, script)).empty(); }, kTimeout);
        return shown;
    }
    // Asks `question` through the page's own box and returns the text of its answer.
    std::string askPage(ReviewWC& window, const std::string& question, const std::string& id)
    {
        ask(window, "document.getElementById('question').value = " + jsQuote(question)
                + "; document.getElementById('composer').requestSubmit(); ''");
        const std::string answered = "(function(){var m = document.getElementById('" + id
            + "'); return m && !m.classList.contains('waiting') ? m.className + '|' + m.querySelector('.body').textContent : '';})()";
        return waitForText(window, answered);
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<AskDocuments> asker = std::make_shared<AskDocuments>(AskServices {
        .library = [this] { return library; },
        .dialogs = &toolkit->dialogs(),
    });
};

TEST_F(AskOnScreen, AFolderWithMarkupInItsNamesReadsBackAndItsQuestionsAreAnswered)
{
    const std::string folder = home.file("a</script>");
    const std::string odd = "x\"<b>y\n.pdf";
    ikw::testing::writeTestFile(folder + "/" + odd, "%PDF-1.4\n");
    ikw::testing::writeTestFile(folder + "/brief.docx", "docx");
    const auto empty = windows.open(std::nullopt);
    asker->openAsk(folder);
    ASSERT_EQ(windows.windows().size(), 1u);
    ASSERT_EQ(windows.windows().front(), empty);
    ReviewWC& window = *empty;
    EXPECT_EQ(window.sourcePaths, std::vector<std::string> { folder });

    // The status request answers through the script: the local model is off, so the banner shows.
    EXPECT_EQ(waitForText(window, "document.getElementById('banner').classList.contains('shown') ? 'shown' : ''"), "shown");
    EXPECT_EQ(ask(window, "document.getElementById('scopeName').textContent"), "script>");
    EXPECT_EQ(ask(window, "JSON.stringify(Array.from(document.querySelectorAll('.row')).map(function (r) { return r.dataset.name; }))"),
        toJson(Json({ "brief.docx", odd })));
    EXPECT_EQ(ask(window, "decodeURIComponent(document.querySelector('.row .open').href.split('path=')[1])"), folder + "/brief.docx");

    EXPECT_EQ(askPage(window, "What is due?", "m1"), "msg|You asked: What is due? About the folder script> (2 items) (p. 1)");

    // A script that prints only white space answers the fixed error, which the page shows.
    ikw::testing::writeEngineScript(home.path(), "app/inkwarden_ai.py", "print('  \\t')\nprint()\n");
    EXPECT_EQ(askPage(window, "And now?", "m2"), "msg error|Could not start the local AI engine.");
}

}
}
