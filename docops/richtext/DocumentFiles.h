#pragma once

#include "docops/richtext/CodecResult.h"
#include "docops/richtext/RichText.h"
#include "platform/core/FileSystem.h"

#include <string>
#include <string_view>

namespace ikw::richtext {

// The format the editor reads and writes a file in, told by its extension (letter case aside):
// "docx" is Word, "rtf" is RTF, anything else (txt, md, ...) plain text.
enum class EditorDocType { PlainText, Rtf, Docx };

EditorDocType editorDocType(std::string_view path);
// Rich types keep attributes; plain text keeps only the text.
bool isRichText(EditorDocType type);

// Reads a document for editing. Untrusted input: only regular files, within the bounds of
// CodecResult.h. The failure is one sentence for "Could not open for editing: ".
Result<Document> readDocumentFile(const std::string& path, EditorDocType type);
Result<Document> readDocumentFile(const std::string& path);

// The bytes of the document in the type.
Result<std::string> encodeDocument(const Document& document, EditorDocType type);

// Encodes the document and replaces the file with the bytes atomically (FileSystem::replaceFile):
// a document that cannot be encoded, or a write that fails, leaves the file as it was.
IoStatus writeDocumentFile(FileSystem& fileSystem, const std::string& path, const Document& document, EditorDocType type);
IoStatus writeDocumentFile(FileSystem& fileSystem, const std::string& path, const Document& document);

}
