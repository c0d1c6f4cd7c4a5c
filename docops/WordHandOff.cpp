#include "docops/WordHandOff.h"

#include "app/Globals.h"
#include "platform/core/Base64.h"
#include "platform/imaging/PngEncoder.h"

namespace ikw::docops {

namespace {

constexpr int kIconDataSide = 32;

}

const std::set<std::string>& wordDocExts()
{
    static const std::set<std::string> extensions { "docx", "doc", "rtf", "odt", "dotx", "dot" };
    return extensions;
}

WordHandOff::WordHandOff(ui::Workspace& workspace, std::function<void(const std::vector<std::string>&)> recordRecent)
    : m_workspace(workspace)
    , m_recordRecent(std::move(recordRecent))
{
}

std::optional<ui::DesktopApplication> WordHandOff::wordAppURL()
{
    if (!m_wordURLResolved) {
        m_wordURLResolved = true;
        auto application = m_workspace.defaultApplicationForType(kWordDocumentType);
        // Handing a document to ourselves would only open it again here.
        if (application && application->id != std::string(kApplicationId) + ".desktop" && !application->id.empty())
            m_wordURL = std::move(application);
    }
    return m_wordURL;
}

std::optional<ui::ApplicationIcon> WordHandOff::wordIconImage(int side)
{
    const auto word = wordAppURL();
    return word ? m_workspace.applicationIcon(word->id, side) : std::nullopt;
}

std::optional<std::string> WordHandOff::wordIconDataURI()
{
    if (!m_wordIconURI) {
        m_wordIconURI = std::string();
        if (auto icon = wordIconImage(kIconDataSide); icon && icon->width == kIconDataSide && icon->height == kIconDataSide) {
            const imaging::RgbaImage image { icon->width, icon->height, std::move(icon->rgba) };
            if (const auto png = imaging::encodePng(image))
                m_wordIconURI = "data:image/png;base64," + encodeBase64(*png);
        }
    }
    return m_wordIconURI->empty() ? std::nullopt : m_wordIconURI;
}

void WordHandOff::openInWord(const std::string& path)
{
    const auto word = wordAppURL();
    if (!word)
        return;
    m_workspace.openFileWith(path, word->id);
    if (m_recordRecent)
        m_recordRecent({ path });
}

}
