#pragma once

#include <map>
#include <string>
#include <vector>

// Fixtures that carry everything a page rewrite must keep, and an independent reading of what a
// file carries (on qpdf), for tests and benchmarks.
namespace ikw::pdf::testing {

enum class Protection { None, OwnerR4, OwnerR6 };

struct RichPdfOptions {
    int pageCount = 6;
    Protection protection = Protection::None;
    // A signature field with a signature value (a made-up one: enough to make the file "signed").
    bool signature = false;
    bool objectStreams = false;
    // The 1-based page left without text (0: none).
    int blankPage = 0;
    // A 1000 x 1000 RGB photograph-like image stored with Flate, drawn 200 points wide on page 1.
    bool image = false;
};

// Pages reading "Page 1" ... "Page n" (at least 6), with:
// - an outline: "Chapter 1" (page 1) holding "Section 1.1" (page 2) and "Section 1.2" (the named
//   destination "sec12", page 3); "Chapter 2" (the named destination "chapter2", page 4, by a
//   GoTo action); "Appendix" (the /Dests entry "appendix", page 5);
// - page labels in three ranges: i, ii | 1, 2, ... | App-A, App-B, ... (from page 5 on);
// - a form with fields on pages 1 and 2: "name" (text, page 1), "agree" (check box, page 2),
//   "both" (text with one widget on page 1 and one on page 2);
// - a link on page 1 to page 3 (by the name "sec12"), document information (Title, Author), XMP metadata, /PageMode
//   /UseOutlines and viewer preferences;
// - with Protection, an owner password "owner" and no user password; printing, assembly and
//   changes other than forms and annotations are not allowed.
std::string richPdf(const RichPdfOptions& options = {});

// Pages reading "Page <n>", each also drawing one `side` x `side` photograph-like RGB image stored
// with Flate, 400 points wide.
std::string photoPdf(int pageCount, int side);
// Pages without text, each drawing a frame, a line and a small red square.
std::string drawingPdf(int pageCount);

// What a PDF file carries, read with qpdf (a file that does not open gives an empty value with
// `opened` false).
struct PdfFacts {
    bool opened = false;
    int pageCount = 0;
    // Outline items in tree order, indented two spaces per level: "title -> page" (1-based page
    // number, "none" when the item leads nowhere or to a page not in the document).
    std::vector<std::string> outline;
    // The label of each page.
    std::vector<std::string> labels;
    // Named destinations (/Names tree and /Dests) -> 1-based page number, 0 for none.
    std::map<std::string, int> namedDestinations;
    // Terminal form fields: "name@pages" with the 1-based pages of their widgets ("both@1,2"),
    // sorted by name; a field without placed widgets reads "name@".
    std::vector<std::string> fields;
    // The value of each terminal field, by name.
    std::map<std::string, std::string> fieldValues;
    // Per page, the 1-based target pages of its links (0 for a link that leads nowhere).
    std::vector<std::vector<int>> links;
    // Per page, the number of its annotations.
    std::vector<int> annotationCounts;
    std::string pageMode;
    bool hasViewerPreferences = false;
    bool hasMetadata = false;
    std::map<std::string, std::string> info;
    bool encrypted = false;
    int encryptionRevision = 0;
    int permissions = 0;
    bool allowsPrinting = true;
    bool allowsAssembly = true;
    bool hasSignatureValue = false;
    bool hasSigFlags = false;
};
PdfFacts inspectPdf(const std::string& bytes);

}
