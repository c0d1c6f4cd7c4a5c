// Group sync on the real toolkit under Xvfb: the stand-in group-writer page runs in the hidden
// web view and sees the payloads the application sends.
#include "library/GroupSync.h"

#include "platform/pdf/testing/PdfFixtures.h"
#include "review/EngineLauncher.h"
#include "review/ReviewOnScreenFixture.h"
#include "review/ReviewWC.h"

#include <filesystem>

namespace ikw::library {
namespace {

constexpr double kTimeout = 30;

class GroupSyncOnScreen : public testing::ReviewOnScreenFixture {
protected:
    GroupSyncOnScreen()
    {
        services.shellEngine = [this](std::vector<std::string> arguments) { engine.shellEngine(std::move(arguments)); };
        registerGroupSync(services.features, sync);
    }

    // What the page recorded, as JSON text ("" until the page answers).
    std::string pageRecord()
    {
        const auto& view = sync->bridge().webView();
        if (!view || !sync->bridge().isReady())
            return {};
        auto answer = std::make_shared<std::optional<std::string>>();
        view->evaluate("JSON.stringify({ groups: window.__ikwGroupWrites, thumbs: window.__ikwThumbCalls })", [answer](ui::ScriptResult result) {
            *answer = result.value && result.value->is_string() ? result.value->get<std::string>() : std::string();
        });
        ui::gtk3::runMainLoopUntil([&] { return answer->has_value(); }, 5);
        return answer->value_or("");
    }

    EngineLauncher engine;
    std::shared_ptr<GroupSync> sync = GroupSync::make({ .toolkit = toolkit.get(), .pairCode = [] { return std::string("ab-cd ef"); } });
};

TEST_F(GroupSyncOnScreen, AReviewOfTwoPdfsWritesOneGroupAndPublishesBothPictures)
{
    std::filesystem::create_directories(home.file("Matter"));
    pdf::testing::writeFixture(home.file("Matter/Deed.pdf"), pdf::testing::numberedPdf(1));
    pdf::testing::writeFixture(home.file("Matter/Lease.pdf"), pdf::testing::numberedPdf(2));
    const auto window = windows.open(std::nullopt);
    window->loadReview({ home.file("Matter") }, std::nullopt);

    std::optional<Json> record;
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] {
        record = parseJson(pageRecord());
        return record && record->at("groups").size() == 1 && record->at("thumbs").size() == 1;
    }, kTimeout)) << pageRecord();

    const auto& group = record->at("groups").at(0);
    EXPECT_EQ(group.at("name"), "Matter");
    EXPECT_EQ(group.at("lib"), "ikw-1b6ac91aad801b5a8927b569274383a4");
    EXPECT_EQ(group.at("docs").size(), 2u);
    EXPECT_EQ(group.at("deleted"), false);
    const auto& items = record->at("thumbs").at(0).at("items");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items.at(0).at("id"), group.at("docs").at(0));
    EXPECT_TRUE(items.at(0).at("b64").get<std::string>().starts_with("/9j/")) << "not a base64 JPEG";
    EXPECT_TRUE(sync->bridge().thumbAlreadyPublished(items.at(1).at("id").get<std::string>()));
}

}
}
