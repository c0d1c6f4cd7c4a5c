#include "thumbnail-tool/ThumbnailRun.h"
#include "platform/core/FileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <sstream>
#include <thread>

namespace ikw::thumbnail {
namespace {

TEST(ThumbnailJob, LinesSplitAtTabsWithAReadableSizeOrTheDefault)
{
    struct Case {
        std::string line;
        bool accepted;
        double size;
    };
    const Case cases[] = {
        { "a.pdf\tout.png", true, 512 },
        { "a.pdf\tout.png\t256", true, 256 },
        { "a.pdf\tout.png\t256\textra", true, 256 },
        { "a.pdf\tout.png\t", true, 512 },
        { "a.pdf\tout.png\t 256", true, 512 },
        { "a.pdf\tout.png\t256px", true, 512 },
        { "a.pdf\tout.png\t1e2", true, 100 },
        { "a.pdf\tout.png\tnan", true, 512 },
        { "a.pdf\tout.png\tinf", true, 512 },
        { "a.pdf\tout.png\t-5", true, 512 },
        { "a.pdf\tout.png\t0", true, 512 },
        { "no-tab", false, 0 },
        { "", false, 0 },
    };
    for (const auto& c : cases) {
        const auto job = parseJobLine(c.line);
        ASSERT_EQ(job.has_value(), c.accepted) << c.line;
        if (job) {
            EXPECT_EQ(job->size, c.size) << c.line;
        }
    }
    const auto job = parseJobLine("dir/a b.pdf\t/x/o.png\t100.25");
    EXPECT_EQ(job->source, "dir/a b.pdf");
    EXPECT_EQ(job->output, "/x/o.png");
    EXPECT_EQ(job->pixelEdge(), 201);
}

TEST(ThumbnailJob, PixelEdgesAreCheckedBeforeTheyAreRounded)
{
    struct Case {
        double size;
        std::optional<int> edge;
    };
    const Case cases[] = {
        { 64, 128 }, { 2048, 4096 }, { 2048.2, 4096 }, { 2048.3, std::nullopt }, { 1e9, std::nullopt },
        { 5e18, std::nullopt }, { 1e300, std::nullopt }, { 0.1, 1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ((ThumbnailJob { "a", "b", c.size }.pixelEdge()), c.edge) << c.size;
}

// A renderer that holds every render until the test opens the gate, counting those in flight.
class GatedRenderer final : public ThumbnailRenderer {
public:
    std::optional<std::string> render(const std::string&, int) override
    {
        const int now = ++m_inFlight;
        int seen = m_maxInFlight.load();
        while (now > seen && !m_maxInFlight.compare_exchange_weak(seen, now)) { }
        {
            std::unique_lock lock(m_mutex);
            m_open.wait(lock, [this] { return m_isOpen; });
        }
        --m_inFlight;
        return std::string("png bytes");
    }
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_isOpen = true;
        m_open.notify_all();
    }
    int inFlight() const { return m_inFlight; }
    int maxInFlight() const { return m_maxInFlight; }

private:
    std::atomic<int> m_inFlight { 0 };
    std::atomic<int> m_maxInFlight { 0 };
    std::mutex m_mutex;
    std::condition_variable m_open;
    bool m_isOpen = false;
};

struct Lines {
    std::mutex mutex;
    std::vector<std::string> lines;
    ResultWriter writer { [this](std::string_view line) {
        std::lock_guard lock(mutex);
        lines.emplace_back(line);
    } };
    std::vector<std::string> snapshot()
    {
        std::lock_guard lock(mutex);
        return lines;
    }
};

TEST(ThumbnailRun, AtMostSixRenderAndExistingOutputsAnswerAtOnce)
{
    testing::TempHome home;
    testing::writeTestFile(home.file("exists.png"), "already there");
    GatedRenderer renderer;
    Lines results;

    std::string input;
    for (int i = 0; i < 10; ++i)
        input += "src" + std::to_string(i) + "\t" + home.file("out" + std::to_string(i) + ".png") + "\n";
    std::istringstream jobs(input);
    std::istringstream early("done-before\t" + home.file("exists.png") + "\n");

    std::thread reader([&] { runJobs(jobs, renderer, results.writer); });
    while (renderer.inFlight() < 6)
        std::this_thread::yield();
    // Reading is blocked on a free slot, so nothing has answered yet; an existing output answers
    // while the six renders still wait.
    EXPECT_TRUE(results.snapshot().empty());
    {
        ThumbnailRun other(renderer, results.writer);
        other.submit(*parseJobLine("done-before\t" + home.file("exists.png")));
    }
    EXPECT_EQ(results.snapshot(), (std::vector<std::string> { "done-before\tOK\n" }));

    renderer.open();
    reader.join();
    EXPECT_EQ(renderer.maxInFlight(), 6);
    const auto lines = results.snapshot();
    ASSERT_EQ(lines.size(), 11u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "src" + std::to_string(i) + "\tOK\n"), 1);
        EXPECT_TRUE(realFileSystem().exists(home.file("out" + std::to_string(i) + ".png")));
    }
}

TEST(ThumbnailRun, OversizedJobsFailWithoutRendering)
{
    testing::TempHome home;
    GatedRenderer renderer;
    renderer.open();
    Lines results;
    std::istringstream jobs("big\t" + home.file("big.png") + "\t1e9\nedge\t" + home.file("edge.png") + "\t2048\n");
    runJobs(jobs, renderer, results.writer);
    const auto lines = results.snapshot();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "big\tFAIL\n"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "edge\tOK\n"), 1);
    EXPECT_FALSE(realFileSystem().exists(home.file("big.png")));
}

TEST(ThumbnailRun, FailedRenderOrWriteLeavesNoFile)
{
    testing::TempHome home;
    struct Refusing final : ThumbnailRenderer {
        std::optional<std::string> render(const std::string&, int) override { return std::nullopt; }
    } refusing;
    Lines results;
    std::istringstream jobs("a\t" + home.file("a.png") + "\n");
    runJobs(jobs, refusing, results.writer);
    EXPECT_EQ(results.snapshot(), (std::vector<std::string> { "a\tFAIL\n" }));

    // A folder that does not exist cannot take the PNG; no temporary file is left either.
    EXPECT_FALSE(writePngAtomically("png", home.file("missing/a.png")));
    EXPECT_TRUE(writePngAtomically("png", home.file("b.png")));
    EXPECT_EQ(testing::folderEntries(home.path()), (std::vector<std::string> { "Resources", "b.png" }));
    EXPECT_FALSE(realFileSystem().exists(home.file("a.png")));
}

TEST(ThumbnailRun, AnOutputNameAsLongAsANameCanBeIsWritten)
{
    testing::TempHome home;
    // 83 three-byte characters and "ab.png": 255 bytes, the most a file name may have.
    std::string name;
    for (int i = 0; i < 83; ++i)
        name += "\u6587";
    name += "ab.png";
    ASSERT_EQ(name.size(), 255u);
    EXPECT_TRUE(writePngAtomically("png", home.file(name)));
    EXPECT_EQ(realFileSystem().readFile(home.file(name)), "png");
    EXPECT_EQ(testing::folderEntries(home.path()), (std::vector<std::string> { "Resources", name }));
}

}
}
