// The built-in visual-diff page in a real web view: it asks for page 1, the workers diff it, and
// the page labels the answer, or shows the error for a file that is not a PDF.
#include "crossdoc/CrossDocActions.h"
#include "crossdoc/VisualCompare.h"
#include "library/LibraryLayer.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw::crossdoc {
namespace {

constexpr double kTimeout = 30;

class VisualCompareOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    VisualCompareOnScreen() { registerActions(bridge->actions, { .visualCompare = compare }); }

    // Opens the diff page of the two files and waits until its message or change label settles.
    std::string shownFor(const std::string& a, const std::string& b, const std::string& script)
    {
        compare->openVisualCompareDocs(a, b);
        const auto window = windows.windows().back();
        std::string shown;
        ui::gtk3::runMainLoopUntil([&] { return !(shown = ask(*window, script)).empty(); }, kTimeout);
        return shown;
    }

    std::shared_ptr<PageBridge> bridge = installPageBridge(services);
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<VisualCompare> compare = std::make_shared<VisualCompare>(toolkit->dialogs(), [this] { return library; });
};

TEST_F(VisualCompareOnScreen, TwoCopiesAreIdenticalAndAFileThatIsNotAPdfShowsTheError)
{
    const std::string bytes = pdf::testing::numberedPdf(2);
    const auto a = ikw::testing::writeTestFile(home.file("Matter/v1.pdf"), bytes);
    const auto b = ikw::testing::writeTestFile(home.file("Matter/v1 copy.pdf"), bytes);
    const std::string label = "(function(){var l=document.getElementById('changeLabel').textContent;"
                              "return l ? l + ' ' + document.getElementById('pageLabel').textContent : '';})()";
    EXPECT_EQ(shownFor(a, b, label), "identical 1 / 2");
    EXPECT_EQ(ask(*windows.windows().back(), "document.getElementById('overlay').src.slice(0, 22)"), "data:image/png;base64,");

    const auto notes = ikw::testing::writeTestFile(home.file("Matter/notes.pdf"), "plain notes\n");
    const std::string message = "(function(){var m=document.getElementById('message');"
                                "return m.hidden || m.textContent.indexOf('Rendering') === 0 ? '' : m.textContent;})()";
    EXPECT_EQ(shownFor(a, notes, message), "This PDF could not be opened.");
}

}
}
