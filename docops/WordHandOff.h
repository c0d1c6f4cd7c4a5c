#pragma once

#include "platform/ui/Desktop.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ikw::docops {

// The documents offered to the word processor (lower-case extensions).
const std::set<std::string>& wordDocExts();
// The content type of Word documents, whose default application is the word processor.
inline constexpr const char* kWordDocumentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document";

// The desktop's word processor: the default application for Word documents, unless that is this
// program. Looked up once per process (one installed later is seen after a restart), as is its
// icon. Main thread only.
class WordHandOff {
public:
    WordHandOff(ui::Workspace& workspace, std::function<void(const std::vector<std::string>& paths)> recordRecent);

    std::optional<ui::DesktopApplication> wordAppURL();
    // The icon at side × side; nothing without the application or its icon.
    std::optional<ui::ApplicationIcon> wordIconImage(int side = 15);
    // "data:image/png;base64,..." of a 32 × 32 PNG of the icon; a failure is remembered.
    std::optional<std::string> wordIconDataURI();
    // Opens the file with the word processor and records it as a recent item; nothing without one.
    void openInWord(const std::string& path);

private:
    ui::Workspace& m_workspace;
    std::function<void(const std::vector<std::string>&)> m_recordRecent;
    bool m_wordURLResolved = false;
    std::optional<ui::DesktopApplication> m_wordURL;
    std::optional<std::string> m_wordIconURI; // empty: the attempt failed
};

}
