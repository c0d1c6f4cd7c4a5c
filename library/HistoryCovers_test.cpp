#include "library/HistoryCovers.h"

#include "platform/core/FileSystem.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>

namespace ikw::library {
namespace {

// Answers "PNG of <path>" for every path but those it holds back until released, and those named
// "*.bad", which it cannot render.
class FakeRenderer final : public thumbnail::ThumbnailRenderer {
public:
    std::optional<std::string> render(const std::string& source, int edge) override { return renderInBox(source, { edge, edge }); }
    std::optional<std::string> renderInBox(const std::string& source, thumbnail::PixelBox box) override
    {
        std::unique_lock guard(m_lock);
        calls.push_back(source);
        lastBox = box;
        ++m_running;
        mostAtOnce = std::max(mostAtOnce, m_running);
        m_changed.notify_all();
        m_changed.wait(guard, [&] { return !held.contains(source) || m_released; });
        --m_running;
        if (source.ends_with(".bad"))
            return std::nullopt;
        return "PNG of " + source;
    }

    void releaseAll()
    {
        const std::lock_guard guard(m_lock);
        m_released = true;
        m_changed.notify_all();
    }
    void waitForRunning(int count)
    {
        std::unique_lock guard(m_lock);
        m_changed.wait(guard, [&] { return m_running >= count; });
    }
    std::vector<std::string> callsSoFar()
    {
        const std::lock_guard guard(m_lock);
        return calls;
    }

    std::set<std::string> held;
    std::vector<std::string> calls;
    thumbnail::PixelBox lastBox;
    int mostAtOnce = 0;

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_running = 0;
    bool m_released = false;
};

class HistoryCoversTest : public ::testing::Test {
protected:
    ~HistoryCoversTest() override
    {
        renderer->releaseAll();
        covers.reset(); // finishes its queue before the renderer goes
    }

    std::string document(const std::string& name)
    {
        const auto path = home.file("docs/" + name);
        std::filesystem::create_directories(home.file("docs"));
        EXPECT_TRUE(realFileSystem().writeFile(path, "%PDF-1.4 " + name).ok());
        return path;
    }
    std::vector<std::string> documents(int count)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i)
            paths.push_back(document("d" + std::to_string(i) + ".pdf"));
        return paths;
    }

    // Starts a render and counts its answers.
    void render(const std::vector<std::string>& paths)
    {
        covers->render(paths, [this](CoverMap map) {
            ++answers;
            answered = std::move(map);
        });
    }
    void waitForAnswer() { ASSERT_TRUE(queue.runUntil([this] { return answers > 0; })); }

    std::vector<std::string> folderEntries()
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::TempHome home;
    ManualMainQueue queue;
    std::string folder = home.file("reviews/.covers");
    std::shared_ptr<FakeRenderer> renderer = std::make_shared<FakeRenderer>();
    std::unique_ptr<HistoryCovers> covers = std::make_unique<HistoryCovers>(renderer, CoverSettings { .folder = folder }, realFileSystem());
    int answers = 0;
    CoverMap answered;
};

TEST(CoverKey, IsAPrefixOfTheHashOfPathTimeAndSize)
{
    EXPECT_EQ(coverKeyFor("/a/x.pdf", 123, 45), "5f1569c25f434160fb478b64");
    // A file that cannot be read counts as modified at 0 with 0 bytes.
    EXPECT_EQ(coverKey("/no/such/file.pdf"), coverKeyFor("/no/such/file.pdf", 0, 0));
}

TEST_F(HistoryCoversTest, CoversAreWrittenOnceAndFoundByTheNextRequest)
{
    const auto a = document("a.pdf");
    const auto b = document("b.bad");
    render({ a, b });
    waitForAnswer();
    const auto cover = covers->coverPath(a);
    EXPECT_EQ(answered, (CoverMap { { a, "file://" + cover } }));
    EXPECT_EQ(realFileSystem().readFile(cover), "PNG of " + a);
    // One file: written under a temporary name and renamed, nothing else left in the folder.
    EXPECT_EQ(folderEntries(), std::vector<std::string> { coverKey(a) + ".png" });
    EXPECT_EQ(renderer->lastBox.width, 660);
    EXPECT_EQ(renderer->lastBox.height, 854);

    render({ a });
    queue.runUntil([this] { return answers > 1; });
    EXPECT_EQ(answers, 2);
    EXPECT_EQ(answered.size(), 1u);
    EXPECT_EQ(renderer->callsSoFar().size(), 2u) << "the existing cover is not rendered again";
}

TEST_F(HistoryCoversTest, ChangedDocumentsGetANewCoverAndKeepTheOldFile)
{
    const auto a = document("a.pdf");
    const std::string oldKey = coverKey(a);
    render({ a });
    waitForAnswer();
    const struct utimbuf touched { 1000, 1000 };
    ASSERT_EQ(::utime(a.c_str(), &touched), 0);
    EXPECT_NE(coverKey(a), oldKey);
    render({ a });
    ASSERT_TRUE(queue.runUntil([this] { return answers > 1; }));
    EXPECT_EQ(answered.at(a), "file://" + folder + "/" + coverKey(a) + ".png");
    EXPECT_EQ(folderEntries().size(), 2u);

    // One file reached by two paths: two keys.
    const auto aliased = home.file("docs/./a.pdf");
    EXPECT_NE(coverKey(aliased), coverKey(a));
}

TEST_F(HistoryCoversTest, AtMostFourRendersRunAtOnce)
{
    const auto paths = documents(12);
    renderer->held = { paths.begin(), paths.end() };
    render(paths);
    renderer->waitForRunning(4);
    ::usleep(100'000);
    EXPECT_EQ(renderer->callsSoFar().size(), 4u);
    renderer->releaseAll();
    waitForAnswer();
    EXPECT_EQ(answered.size(), 12u);
    EXPECT_EQ(renderer->mostAtOnce, 4);
}

TEST_F(HistoryCoversTest, ASilentRendererCannotHoldTheAnswerPastTwentySeconds)
{
    const auto paths = documents(3);
    renderer->held = { paths[1] };
    render(paths);
    ASSERT_TRUE(queue.runUntil([this] { return renderer->callsSoFar().size() == 3; }));
    ::usleep(50'000);
    queue.drain();
    queue.advance(19.9);
    EXPECT_EQ(answers, 0);
    queue.advance(0.1);
    ASSERT_EQ(answers, 1);
    EXPECT_EQ(answered.size(), 2u);
    EXPECT_FALSE(answered.contains(paths[1]));

    // The late answer still writes its file, and answers no more.
    renderer->releaseAll();
    const auto late = covers->coverPath(paths[1]);
    ASSERT_TRUE(queue.runUntil([&] { return realFileSystem().exists(late); }));
    queue.runUntil([] { return false; }, 0.2);
    EXPECT_EQ(answers, 1);
}

TEST_F(HistoryCoversTest, AFolderThatCannotBeMadeAnswersWithoutCovers)
{
    std::filesystem::create_directories(home.file("reviews"));
    ASSERT_TRUE(realFileSystem().writeFile(folder, "a file in the folder's place").ok());
    render({ document("a.pdf") });
    waitForAnswer();
    EXPECT_TRUE(answered.empty());
}

TEST(CoversScript, QuotesPathsAndUrlsAsJsonWithEscapedSlashes)
{
    EXPECT_EQ(coversScript({ { "/a/x.pdf", "file:///c/k.png" } }),
        R"(window.__ikwCovers && __ikwCovers({"\/a\/x.pdf":"file:\/\/\/c\/k.png"}))");
    EXPECT_EQ(coversScript({ { "/a/\"q\"</script>.pdf", "file:///c/%22q%22.png" } }),
        R"(window.__ikwCovers && __ikwCovers({"\/a\/\"q\"<\/script>.pdf":"file:\/\/\/c\/%22q%22.png"}))");
}

}
}
