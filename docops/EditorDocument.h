#pragma once

#include "docops/richtext/DocumentFiles.h"
#include "docops/richtext/RichText.h"
#include "platform/ui/PageEditor.h"

#include <vector>

namespace ikw::docops {

// What the editor keeps of the file as read, beside the text it shows (ReviewWC's `editorSource`).
struct EditorSource {
    richtext::EditorDocType type = richtext::EditorDocType::PlainText;
    richtext::Document asRead;
};

// The editor's text from a document as read, and a document to write from the editor's text. The
// document keeps what the editor does not show of the file as read (a plain-text file's line ends
// and byte order mark).
std::vector<ui::StyledParagraph> editorParagraphs(const richtext::Document& document);
richtext::Document documentFromEditor(const std::vector<ui::StyledParagraph>& paragraphs, const richtext::Document& asRead);

}
