#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace ikw::crossdoc {

// The document type of each lower-case file extension the search index takes ("pdf", "docx",
// "xlsx", "text", "md", "rtf", "gdoc", "gsheet", "gslides"); a .doc is a "docx".
const std::map<std::string, std::string, std::less<>>& typeForExt();
// The extensions the index takes: the table's keys.
const std::set<std::string, std::less<>>& indexableExts();
// Whether the index takes the file: its extension, in any letter case, is in the table.
bool isIndexablePath(std::string_view path);
// The type of an extension in any letter case; "text" for one that is not in the table.
std::string documentType(std::string_view extension);

}
