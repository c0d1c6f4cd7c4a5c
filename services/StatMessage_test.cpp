// A page's "stat" message reaches the counters file through the page bridge.
#include "review/PageBridgeTestFixture.h"
#include "services/Stats.h"

#include <gtest/gtest.h>

namespace ikw::services {
namespace {

class StatMessageTest : public ikw::testing::PageBridgeFixture {
protected:
    StatMessageTest()
    {
        registerStatMessage(bridge->messages, StatSink {
            .record = [](const std::string& id) { Stats::record(id); },
            .funnel = [](const std::string& flow, const std::string& step) { Stats::funnel(flow, step); },
        });
    }

    std::shared_ptr<StatsStore> store = [this] {
        StatsConfig config = Stats::productConfig("com.norvale.inkwarden");
        config.clock = [this] { return queue.now(); };
        return std::make_shared<StatsStore>(std::move(config), queue);
    }();
    Stats::ScopedStore scope { store };
};

TEST_F(StatMessageTest, APageMessageRaisesTheFeatureAndTheFunnelCounter)
{
    view().postMessage({ { "action", "stat" }, { "id", "doc.search" }, { "flow", "share" }, { "step", "invoked" } });
    queue.advance(5);
    const Json file = parseJson(ikw::testing::readTestFile(store->path())).value_or(Json());
    EXPECT_EQ(file["features"]["doc.search"]["n"], 1);
    EXPECT_EQ(file["funnels"], Json::parse(R"({"share.invoked":1})"));
}

}
}
