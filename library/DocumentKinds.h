#pragma once

#include <set>
#include <string>
#include <string_view>

namespace ikw::library {

// Which kind of window or application shows a path, decided by its lower-cased extension.
const std::set<std::string>& readerExts();  // shown in a reader (non-PDFs converted first)
const std::set<std::string>& gridExts();    // delimited tables, shown in a grid
const std::set<std::string>& handoffExts(); // spreadsheets, handed to their default application

std::string lowerExtension(std::string_view path);

bool isDirectoryPath(const std::string& path);
// A missing path is judged by its extension alone.
bool isReaderDoc(const std::string& path);
bool isHandoffDoc(const std::string& path);
// The extension alone decides, so a folder named data.csv counts as a table.
bool isGridDoc(const std::string& path);

}
