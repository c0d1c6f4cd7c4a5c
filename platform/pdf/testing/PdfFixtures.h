#pragma once

#include "platform/pdf/Geometry.h"

#include <string>
#include <vector>

namespace ikw::pdf::testing {

inline constexpr Rect kA4Page { 0, 0, 595, 842 };

struct FixturePage {
    Rect mediaBox = kLetterPage;
    int rotation = 0;
};

// A PDF whose pages each carry the text "Page <n>" (n from 1), so that a test can tell pages apart.
std::string numberedPdf(int pageCount);
std::string numberedPdf(const std::vector<FixturePage>& pages);
// The same, encrypted with AES-256 under the user password.
std::string encryptedPdf(int pageCount, const std::string& password);
// A PDF with its cross-reference table and trailer pointer broken: readers must repair it.
std::string damagedPdf(int pageCount);
// A PDF whose first page has a crop box inside the media box.
std::string croppedPdf(Rect mediaBox, Rect cropBox);

// Pages carrying "Page <n>" whose font is written inline in each page's resources, as some
// producers do (MuPDF then compares it with the fonts of every other open document).
std::string inlineFontPdf(int pageCount);
// A page of text lines set in 12-point Helvetica from the top left corner down, one line each; an
// empty line leaves a gap, so the lines after it start a new block of the page's text. The text is
// UTF-8 but only what the Windows Latin-1 encoding holds is written ("?" for the rest). On a Letter
// page the first line's baseline is at (36, 744) and each next one 15 points lower.
struct TextFixturePage {
    std::vector<std::string> lines;
    Rect mediaBox = kLetterPage;
    int rotation = 0;
    // Annotation dictionaries as PDF source ("<< /Type /Annot /Subtype /Highlight ... >>").
    std::vector<std::string> annotations {};
};
// Pages of text; `catalogEntries` is written into the document catalog as it stands (for example
// "/PageLabels << /Nums [0 << /S /r >>] >>").
std::string textPdf(const std::vector<TextFixturePage>& pages, const std::string& catalogEntries = {});

// A PDF of the objects as written, numbered from 1, the first the catalog: written without a
// cross-reference table and rebuilt by the reader, then written well-formed.
std::string objectsPdf(const std::vector<std::string>& objects);

// An outline entry of a fixture: its label (UTF-8), the 1-based page it leads to (0: no
// destination; past the last page: a destination that is no page) and the entries below it.
struct FixtureOutlineItem {
    std::string title;
    int page = 0;
    std::vector<FixtureOutlineItem> children {};
};
// Pages reading "Page <n>" (Helvetica, one line each) under the outline.
std::string outlinedPdf(int pageCount, const std::vector<FixtureOutlineItem>& items);

// Two pages; the first carries a note ("hello note") and a link to the second.
std::string annotatedPdf();

// Writes bytes to a file; aborts the test program when it cannot.
void writeFixture(const std::string& path, const std::string& bytes);

// The "Page <n>" numbers of every page of the document, in order (0 where a page has none).
std::vector<int> pageNumbers(const std::string& pdfBytes);

// Runs "qpdf --check" on the file: true when qpdf finds no error.
bool qpdfCheckPasses(const std::string& path);

// A fillable form of five pages: on page 1 a radio group "Choice" of three buttons with the second
// ("Two") on, the check box "Agree" (on with `agreeChecked`), the combo box "Color" (Red, Green,
// Blue; "Green" chosen) and the signature field "Sign"; the text field "Name" ("Ann") has widgets on
// pages 2 and 5.
std::string formPdf(bool agreeChecked = false);
// A one-page form whose only field is the signature field "Sign".
std::string signatureOnlyFormPdf();

}
