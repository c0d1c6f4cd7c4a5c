// Speed of the editor's Word reader against libxml2's own checker, printed as a ratio at the end
// of one run: a generated 300-page document read into the editor's model (open the package,
// inflate and parse its styles and body, resolve the styles) against `xmllint --noout` over the
// same word/document.xml, unpacked.

#include "docops/richtext/DocxCodec.h"
#include "platform/core/Process.h"
#include "platform/core/ZipArchive.h"
#include "platform/core/ZipWriter.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"

#include <random>

namespace {

using namespace ikw;

constexpr int kPages = 300;
constexpr int kParagraphsPerPage = 8;
constexpr int kSentencesPerParagraph = 4;

const char* const kWords[] = { "the", "agreement", "party", "shall", "deliver", "notice", "within", "days", "of",
    "receipt", "payment", "invoice", "clause", "term", "court", "witness", "exhibit", "schedule", "amended" };

std::string sentence(std::mt19937& random)
{
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    std::string text;
    for (int count = 0; count < 14; ++count)
        text += std::string(count ? " " : "") + kWords[word(random)];
    return text + ". ";
}

// A body as a word processor writes it: revision marks on every paragraph and run, spacing and
// language properties, styled headings, runs with direct formatting, a table now and then.
std::string documentXml()
{
    std::mt19937 random(20240612);
    const std::string paragraphStart = "<w:p w:rsidR=\"00A1B2C3\" w:rsidRDefault=\"00A1B2C3\" w:rsidP=\"00D4E5F6\">";
    const std::string spacing = "<w:spacing w:after=\"160\" w:line=\"259\" w:lineRule=\"auto\"/>";
    const std::string common = "<w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\" w:cs=\"Times New Roman\"/>";
    const std::string language = "<w:lang w:val=\"en-US\"/>";
    const std::string properties[] = { "", "<w:b/>", "<w:i/><w:color w:val=\"C00000\"/>", "<w:rStyle w:val=\"Emphasis\"/>" };
    std::string body;
    for (int page = 0; page < kPages; ++page) {
        body += paragraphStart + "<w:pPr><w:pStyle w:val=\"Heading1\"/>" + spacing + "</w:pPr><w:bookmarkStart w:id=\"" + std::to_string(page)
            + "\" w:name=\"_Toc" + std::to_string(page) + "\"/><w:r><w:t>Section " + std::to_string(page + 1) + "</w:t></w:r><w:bookmarkEnd w:id=\""
            + std::to_string(page) + "\"/></w:p>";
        for (int paragraph = 0; paragraph < kParagraphsPerPage; ++paragraph) {
            body += paragraphStart + "<w:pPr>" + spacing + "<w:jc w:val=\"both\"/></w:pPr>";
            for (int index = 0; index < kSentencesPerParagraph; ++index) {
                const std::string& own = properties[index % 4];
                body += "<w:r w:rsidRPr=\"00112233\"><w:rPr>" + (own.starts_with("<w:rStyle") ? own + common : common + own) + language
                    + "</w:rPr><w:t xml:space=\"preserve\">" + sentence(random) + "</w:t></w:r>";
            }
            body += "</w:p>";
        }
        if (page % 10 == 0)
            body += "<w:tbl><w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tr><w:tc><w:tcPr>"
                    "<w:tcW w:w=\"4675\" w:type=\"dxa\"/></w:tcPr><w:p><w:r><w:t>Cell A</w:t></w:r></w:p></w:tc><w:tc><w:tcPr>"
                    "<w:tcW w:w=\"4675\" w:type=\"dxa\"/></w:tcPr><w:p><w:r><w:t>Cell B</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
        + body + "</w:body></w:document>";
}

std::string stylesXml()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
           "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/><w:sz w:val=\"22\"/></w:rPr></w:rPrDefault></w:docDefaults>"
           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
           "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:basedOn w:val=\"Normal\"/><w:rPr><w:b/><w:sz w:val=\"32\"/></w:rPr></w:style>"
           "<w:style w:type=\"character\" w:styleId=\"Emphasis\"><w:rPr><w:i/></w:rPr></w:style>"
           "</w:styles>";
}

struct Corpus {
    testing::TempHome home;
    std::string documentPart;
    std::string package;

    Corpus()
    {
        const std::string body = documentXml();
        documentPart = testing::writeTestFile(home.file("document.xml"), body);
        ZipWriter writer;
        writer.add("word/document.xml", body);
        writer.add("word/styles.xml", stylesXml());
        package = testing::writeTestFile(home.file("long.docx"), writer.finish().value());
    }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

void BM_DecodeDocx(benchmark::State& state)
{
    for (auto _ : state) {
        const auto archive = ZipArchive::open(corpus().package);
        const auto document = archive ? richtext::decodeDocx(*archive) : richtext::Result<richtext::Document>(richtext::Failure { "no package" });
        if (!document || document.value().paragraphs.size() < static_cast<std::size_t>(kPages * kParagraphsPerPage))
            state.SkipWithError("the document did not read");
        else
            benchmark::DoNotOptimize(document.value().paragraphs.data());
    }
}

void BM_XmllintNoout(benchmark::State& state)
{
    for (auto _ : state) {
        ProcessOptions options;
        options.argv = { "xmllint", "--noout", corpus().documentPart };
        options.timeoutSeconds = 600;
        if (!runProcess(options).succeeded())
            state.SkipWithError("cannot run xmllint");
    }
}

BENCHMARK(BM_DecodeDocx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_XmllintNoout)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("a 300-page .docx into the editor's model: decodeDocx time / xmllint --noout's over its document.xml",
            times.ratio("BM_DecodeDocx", "BM_XmllintNoout"), "<=", 3.0);
    });
}
