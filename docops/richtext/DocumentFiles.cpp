#include "docops/richtext/DocumentFiles.h"

#include "docops/richtext/DocxCodec.h"
#include "docops/richtext/PlainTextCodec.h"
#include "docops/richtext/RtfCodec.h"
#include "platform/core/BoundedFileRead.h"
#include "platform/core/ZipArchive.h"

#include <cstring>

namespace ikw::richtext {

namespace {

std::string lowerCaseExtension(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return extension;
}

std::string quotedName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return "“" + (slash == std::string::npos ? path : path.substr(slash + 1)) + "”";
}

Failure readFailure(const std::string& path, const BoundedFileRead& read, std::uint64_t maxBytes)
{
    switch (read.status) {
    case BoundedFileRead::Status::NotRegular:
        return Failure { "The file " + quotedName(path) + " is not a regular file." };
    case BoundedFileRead::Status::TooLarge:
        return Failure { "The file " + quotedName(path) + " is larger than " + std::to_string(maxBytes >> 20) + " MB, more than the editor opens." };
    case BoundedFileRead::Status::Read:
    case BoundedFileRead::Status::Failed:
        break;
    }
    return Failure { "The file " + quotedName(path) + " could not be read: " + std::strerror(read.error) + "." };
}

Result<std::string> readBytes(const std::string& path, std::uint64_t maxBytes)
{
    BoundedFileRead read = readRegularFileWithin(path, maxBytes);
    if (read.status != BoundedFileRead::Status::Read)
        return readFailure(path, read, maxBytes);
    return std::move(read.bytes);
}

Result<Document> readWordFile(const std::string& path)
{
    // A package is read member by member: the file itself has no bound. Opening it only tells
    // why it cannot be read.
    if (const BoundedFileRead opened = readRegularFileWithin(path, 0);
        opened.status == BoundedFileRead::Status::NotRegular || opened.status == BoundedFileRead::Status::Failed)
        return readFailure(path, opened, 0);
    const auto archive = ZipArchive::open(path);
    if (!archive)
        return Failure { "The file " + quotedName(path) + " is not a Word document (.docx): its zip package is missing or damaged. "
                                                          "Password-protected documents cannot be edited." };
    return decodeDocx(*archive);
}

}

EditorDocType editorDocType(std::string_view path)
{
    const std::string extension = lowerCaseExtension(path);
    if (extension == "docx")
        return EditorDocType::Docx;
    if (extension == "rtf")
        return EditorDocType::Rtf;
    return EditorDocType::PlainText;
}

bool isRichText(EditorDocType type)
{
    return type != EditorDocType::PlainText;
}

Result<Document> readDocumentFile(const std::string& path, EditorDocType type)
{
    switch (type) {
    case EditorDocType::Docx:
        return readWordFile(path);
    case EditorDocType::Rtf: {
        auto bytes = readBytes(path, kMaxRtfBytes);
        return bytes ? decodeRtf(bytes.value()) : Failure { bytes.error() };
    }
    case EditorDocType::PlainText:
        break;
    }
    auto bytes = readBytes(path, kMaxPlainTextBytes);
    return bytes ? decodePlainText(bytes.value()) : Failure { bytes.error() };
}

Result<Document> readDocumentFile(const std::string& path)
{
    return readDocumentFile(path, editorDocType(path));
}

Result<std::string> encodeDocument(const Document& document, EditorDocType type)
{
    switch (type) {
    case EditorDocType::Docx:
        return encodeDocx(document);
    case EditorDocType::Rtf:
        return encodeRtf(document);
    case EditorDocType::PlainText:
        break;
    }
    return encodePlainText(document);
}

IoStatus writeDocumentFile(FileSystem& fileSystem, const std::string& path, const Document& document, EditorDocType type)
{
    const auto bytes = encodeDocument(document, type);
    if (!bytes)
        return IoStatus::failure(bytes.error());
    return fileSystem.replaceFile(path, bytes.value());
}

IoStatus writeDocumentFile(FileSystem& fileSystem, const std::string& path, const Document& document)
{
    return writeDocumentFile(fileSystem, path, document, editorDocType(path));
}

}
