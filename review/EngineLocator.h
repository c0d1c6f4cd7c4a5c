#pragma once

#include <string>
#include <string_view>

namespace ikw {

// Where the engine's files are: the per-user engine folder under home wins, file by file, over the
// application's own copy in Resources/engine. Nothing is cached, so an engine installed while the
// application runs is used from the next lookup on. The fallback is returned unchecked.
std::string enginePath(std::string_view userRelative, std::string_view bundleRelative);

std::string engineLauncher();     // the launcher of review runs; its folder holds the runner's scripts
std::string panelPy();            // renders the small settings, help and about panels
std::string ruredeGenPy();        // the one-shot jobs' script (at the top of the per-user folder)
std::string inkwardenDiffPy();    // the draft timeline's diff
std::string historyHTMLPath();    // the File History page
std::string readerHTMLPath();
std::string gridHTMLPath();
std::string timelineHTMLPath();
std::string groupWriterHTMLPath();

// The interpreter of the engine's scripts: /usr/bin/python3, else the first python3 on PATH,
// else the plain name (the start then fails with a clear message).
std::string pythonInterpreter();

}
