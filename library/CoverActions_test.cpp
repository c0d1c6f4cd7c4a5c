#include "library/LibraryActions.h"

#include "library/LibraryLayer.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <mutex>

namespace ikw::library {
namespace {

// Draws every file at once, except one it never answers for until the test ends.
class RecordingRenderer final : public thumbnail::ThumbnailRenderer {
public:
    std::optional<std::string> render(const std::string& source, int edge) override { return renderInBox(source, { edge, edge }); }
    std::optional<std::string> renderInBox(const std::string& source, thumbnail::PixelBox) override
    {
        std::unique_lock guard(m_lock);
        rendered.push_back(source);
        m_changed.wait(guard, [&] { return source != silent || m_released; });
        return "PNG";
    }
    void release()
    {
        const std::lock_guard guard(m_lock);
        m_released = true;
        m_changed.notify_all();
    }
    std::size_t count()
    {
        const std::lock_guard guard(m_lock);
        return rendered.size();
    }

    std::string silent;
    std::vector<std::string> rendered;

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_released = false;
};

class CoverActionsTest : public testing::ReviewFixture {
protected:
    CoverActionsTest() { registerActions(actions, [this] { return layer; }); }
    ~CoverActionsTest() override
    {
        renderer->release();
        layer.reset();
    }

    void send(const std::string& p)
    {
        gchar* escaped = g_uri_escape_string(p.c_str(), nullptr, false);
        actions.dispatch("histcovers", UrlAction { *sender, std::string("qeliz://histcovers?p=") + escaped });
        g_free(escaped);
    }
    std::vector<std::string> coverCalls()
    {
        std::vector<std::string> calls;
        for (const auto& script : viewOf(*sender).evaluated)
            if (script.find("__ikwCovers") != std::string::npos)
                calls.push_back(script);
        return calls;
    }
    std::string documents(int count)
    {
        std::string joined;
        for (int i = 0; i < count; ++i)
            joined += testing::writeTestFile(home.file("docs/" + std::to_string(i) + ".pdf"), "%PDF-1.4\n") + "\n";
        return joined;
    }
    bool settle(std::size_t renders)
    {
        return queue.runUntil([&] { return renderer->count() >= renders; });
    }

    std::shared_ptr<RecordingRenderer> renderer = std::make_shared<RecordingRenderer>();
    std::vector<std::string> usage;
    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows,
        LibraryHooks { .recordUsage = [this](const std::string& feature) { usage.push_back(feature); }, .coverRenderer = renderer });
    std::shared_ptr<ReviewWC> sender = windows.open(std::nullopt, nullptr);
    UrlActions actions;
};

TEST_F(CoverActionsTest, RequestsWithoutExistingPathsDoNothing)
{
    for (const std::string& p : std::vector<std::string> { "", "\n\n", home.file("missing.pdf") + "\nrelative.pdf\n" }) {
        send(p);
        queue.advance(21);
    }
    EXPECT_TRUE(usage.empty());
    EXPECT_EQ(renderer->count(), 0u);
    EXPECT_TRUE(coverCalls().empty());
}

TEST_F(CoverActionsTest, TheFirstFortyEightPathsAreRenderedAndDelivered)
{
    send(home.file("missing.pdf") + "\n" + documents(100));
    ASSERT_TRUE(settle(48));
    ASSERT_TRUE(queue.runUntil([&] { return !coverCalls().empty(); }));
    EXPECT_EQ(usage, std::vector<std::string> { "history.covers" });
    EXPECT_EQ(renderer->count(), 48u);
    const auto call = coverCalls().front();
    EXPECT_TRUE(call.starts_with("window.__ikwCovers && __ikwCovers({\"")) << call;
    EXPECT_NE(call.find(jsQuote(home.file("docs/47.pdf"))), std::string::npos);
    EXPECT_EQ(call.find(jsQuote(home.file("docs/48.pdf"))), std::string::npos);
}

TEST_F(CoverActionsTest, AnEmptyMapSendsNothing)
{
    testing::writeTestFile(home.file("docs/only.pdf"), "%PDF");
    renderer->silent = home.file("docs/only.pdf");
    send(renderer->silent);
    ASSERT_TRUE(settle(1));
    queue.advance(20);
    EXPECT_TRUE(coverCalls().empty());
}

TEST_F(CoverActionsTest, AWindowClosedMeanwhileGetsNothing)
{
    const auto paths = documents(2);
    renderer->silent = home.file("docs/1.pdf");
    send(paths);
    ASSERT_TRUE(settle(2));
    sender->windowWillClose();
    queue.advance(20);
    EXPECT_TRUE(coverCalls().empty());
}

}
}
