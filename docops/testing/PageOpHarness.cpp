#include "docops/testing/PageOpHarness.h"

#include "app/Settings.h"
#include "docops/PageTransforms.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/ui/PageScript.h"

#include <numeric>

namespace ikw::docops::testing {

void FakeFileOpHost::stampLoadedFile(const std::string& path)
{
    events.push_back("stamp " + path + " after " + std::to_string(web ? web->evaluated.size() : 0));
    stampedBytes = ikw::testing::readTestFile(path);
    stamp = stampFile(path);
}

void FakeFileOpHost::reloadReader(const std::string& path)
{
    events.push_back("reload " + path + " after " + std::to_string(web ? web->evaluated.size() : 0));
}

PageOpHarness::PageOpHarness()
{
    host->web = web;
}

PageOpHarness::~PageOpHarness()
{
    settle();
}

void PageOpHarness::settle()
{
    do {
        workers.waitUntilIdle();
    } while (mainQueue.drain() > 0);
}

void PageOpHarness::show(const std::string& path)
{
    host->sources = { path };
    host->stamp = stampFile(path);
}

std::string PageOpHarness::writePdf(const std::string& name, int count, int first)
{
    auto numbered = pdf::EditableDocument::fromBytes(pdf::testing::numberedPdf(first + count - 1));
    std::vector<int> indexes(static_cast<std::size_t>(count));
    std::iota(indexes.begin(), indexes.end(), first - 1);
    const auto pages = pgExtract(*numbered, indexes);
    const std::string path = file(name);
    pdf::testing::writeFixture(path, *pages->toBytes());
    return path;
}

std::vector<int> PageOpHarness::markers(const std::string& path) const
{
    return pdf::testing::pageNumbers(ikw::testing::readTestFile(path));
}

void PageOpHarness::setSetting(const std::string& key, const Json& value)
{
    Json settings = loadConfig();
    settings[key] = value;
    saveConfig(settings);
}

std::string toastScript(const std::string& message, bool bad)
{
    return ui::guardedCall("ikwToast", jsQuote(message) + (bad ? ",true" : ",false"));
}

std::string doneScript(const std::string& operation, const std::string& path)
{
    return ui::guardedCall("ikwPageOpDone", jsQuote(operation) + "," + jsQuote(path));
}

}
