#include "services/Stats.h"

#include "platform/core/Json.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::services {
namespace {

TEST(Stats, CallsReachTheInstalledStoreOnly)
{
    ikw::testing::TempHome home;
    ManualMainQueue queue;
    Stats::record("doc.open"); // nothing installed: ignored
    EXPECT_EQ(queue.drain(), 0);

    StatsConfig config = Stats::productConfig("com.norvale.inkwarden");
    config.clock = [&queue] { return queue.now(); };
    const auto store = std::make_shared<StatsStore>(std::move(config), queue);
    EXPECT_EQ(store->path(), home.file(".local/share/Inkwarden/usage-stats.json"));
    {
        Stats::ScopedStore scope(store);
        Stats::noteSession();
        Stats::record("doc.search");
        Stats::funnel("share", "invoked");
    }
    Stats::record("doc.open");
    queue.advance(5);

    const Json file = parseJson(ikw::testing::readTestFile(store->path())).value_or(Json());
    EXPECT_EQ(file["activity"]["launches"], 1);
    EXPECT_EQ(file["features"], Json::parse(R"({"doc.search":{"n":1,"first":0.0,"last":0.0}})"));
    EXPECT_EQ(file["funnels"], Json::parse(R"({"share.invoked":1})"));
}

}
}
