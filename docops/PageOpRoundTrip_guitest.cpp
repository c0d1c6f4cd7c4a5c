// A reader page in a real web view sends a rotation and the whole round trip runs: the action,
// the background rewrite, the stamp, the reload and the page's callbacks.
#include "app/Globals.h"
#include "app/Settings.h"
#include "docops/PageOpHandler.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ikw::docops {
namespace {

constexpr double kTimeout = 20;

struct Stamp {
    timespec modified {};
    off_t size = -1;
};

Stamp stampOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return { info.st_mtim, info.st_size };
}

// The reader window's part: its stamp and the check its change poll makes against it (a date
// more than a second off, or another size).
class ReaderHost final : public FileOpHost {
public:
    ReaderHost(ui::Toolkit& toolkit, std::shared_ptr<ui::Window> window, std::shared_ptr<ui::WebView> web, std::string pdf,
        std::string page)
        : m_toolkit(toolkit), m_window(std::move(window)), m_web(std::move(web)), m_pdf(std::move(pdf)), m_page(std::move(page))
    {
    }
    bool isOpen() const override { return true; }
    std::vector<std::string> sourcePaths() const override { return { m_pdf }; }
    bool isReader() const override { return true; }
    ui::Window* sheetParent() const override { return m_window.get(); }
    ui::Dialogs& dialogs() override { return m_toolkit.dialogs(); }
    ui::Workspace& workspace() override { return m_toolkit.workspace(); }
    void stampLoadedFile(const std::string& path) override
    {
        stamp = stampOf(path);
        loaded = stampFile(path);
    }
    std::optional<FileStamp> loadedStamp() const override { return loaded; }
    void reloadReader(const std::string&) override { m_web->loadFile(m_page); }
    void reloadSettingsPanelIfOpen() override { }

    bool changedOnDisk() const
    {
        const Stamp now = stampOf(m_pdf);
        const double seconds = double(now.modified.tv_sec - stamp.modified.tv_sec)
            + double(now.modified.tv_nsec - stamp.modified.tv_nsec) / 1e9;
        return now.size != stamp.size || seconds > 1.0 || seconds < -1.0;
    }

    Stamp stamp;
    std::optional<FileStamp> loaded;

private:
    ui::Toolkit& m_toolkit;
    std::shared_ptr<ui::Window> m_window;
    std::shared_ptr<ui::WebView> m_web;
    std::string m_pdf;
    std::string m_page;
};

TEST(PageOpRoundTripTest, ARotationFromTheReaderWritesOnceAndReloadsOnce)
{
    ASSERT_TRUE(ui::gtk3::initializeGtk()) << "needs a display (run under xvfb-run)";
    ikw::testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    cfgSetBool("pageops_confirm", false);
    GLibMainQueue queue;
    ScopedMainQueue installed { queue };
    WorkQueue workers { "pageop-gui", 2 };
    RewriteQueue rewrites { workers };

    const std::string pdf = home.file("a.pdf");
    pdf::testing::writeFixture(pdf, pdf::testing::numberedPdf(3));
    // The stand-in reader asks for the rotation on its first load only.
    const std::string page = ikw::testing::writeTestFile(home.file("reader.html"),
        "<script>if(!sessionStorage.sent){sessionStorage.sent='1';"
        "location.href='qeliz://pageop?op=rotate&page=1&path=" + pdf + "';}</script>");

    auto toolkit = ui::gtk3::makeGtkToolkit();
    auto window = toolkit->makeWindow({ .width = 400, .height = 300, .title = "reader", .offscreen = true });
    auto web = toolkit->makeWebView(toolkit->makeWebContext(), {});
    window->addTab(web, "a.pdf");
    window->show();
    auto host = std::make_shared<ReaderHost>(*toolkit, window, web, pdf, page);
    host->stampLoadedFile(pdf);

    int loads = 0;
    web->setLoadHandlers([&] { ++loads; }, [](const std::string& reason) { FAIL() << reason; });
    int actions = 0;
    web->setNavigationPolicy([&](const ui::NavigationAction& action) {
        if (action.url.rfind("qeliz://pageop", 0) != 0)
            return ui::NavigationPolicy::Allow;
        ++actions;
        handlePageOp({ host, web, &rewrites }, PageOpRequest::fromUrl(action.url));
        return ui::NavigationPolicy::Cancel;
    });
    web->loadFile(page);

    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return loads >= 2; }, kTimeout)) << "the reader never reloaded";
    // Give a second reload, or a second write, the time to show itself.
    ui::gtk3::runMainLoopUntil([] { return false; }, 1.5);
    workers.waitUntilIdle();

    EXPECT_EQ(actions, 1);
    EXPECT_EQ(loads, 2);
    const auto document = pdf::Document::openFile(pdf);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->pageRotation(0), 90);
    EXPECT_EQ(document->pageRotation(1), 0);
    EXPECT_FALSE(host->changedOnDisk()) << "the change poll would reload the page a second time";
}

}
}
