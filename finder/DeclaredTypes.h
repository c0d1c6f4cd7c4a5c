#pragma once

#include "platform/core/Json.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::finder {

// The document types the application declares (resources/document_types.json): named groups of
// content-type identifiers, and what each identifier stands for on this desktop.
struct TypeInfo {
    std::string mimeType;
    std::string extension; // without the dot; empty when the type has none
};

struct DeclaredGroup {
    std::string name;
    std::vector<std::string> identifiers; // in declared order
};

struct DeclaredTypes {
    std::vector<DeclaredGroup> groups;
    std::map<std::string, TypeInfo, std::less<>> types;

    // What the identifier stands for; nothing for an identifier the table does not know.
    const TypeInfo* find(std::string_view identifier) const;
};

inline constexpr const char* kDeclaredTypesFile = "document_types.json";

// Entries of the wrong shape are skipped one by one; text that is not a JSON object gives no types.
DeclaredTypes parseDeclaredTypes(const Json& table);
// <resourcesDir>/document_types.json; a missing or unreadable file gives no types.
DeclaredTypes readDeclaredTypes(const std::string& resourcesDir);

// Folders and web pages stay with the applications the user has for them, whatever a brand allows.
bool isNeverClaimed(std::string_view identifier);

// The MIME types the desktop entry announces: every known, claimable declared type once, in
// declared order. Never-claimed types are left out too, so that the desktop does not fall back
// to this application for folders or web pages where the user set no default.
std::vector<std::string> announcedMimeTypes(const DeclaredTypes& declared);

}
