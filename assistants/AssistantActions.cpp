#include "assistants/AssistantActions.h"

#include "app/MenuCommands.h"
#include "assistants/AskDocuments.h"
#include "assistants/Organizer.h"
#include "assistants/PhotoSorting.h"
#include "assistants/ReaderHelpers.h"
#include "review/UrlActions.h"

namespace ikw::assistants {

void registerActions(UrlActions& actions, const Assistants& assistants)
{
    if (const auto& organizer = assistants.organizer) {
        actions.add("organize", [organizer](const UrlAction& action) { organizer->handleOrganize(action); });
        actions.add("organizeready", [organizer](const UrlAction& action) { organizer->organizeInit(action); });
        actions.add("organizeplan", [organizer](const UrlAction& action) { organizer->organizePlan(action); });
        actions.add("organizeapply", [organizer](const UrlAction& action) { organizer->organizeApply(action); });
        actions.add("organizeundo", [organizer](const UrlAction& action) { organizer->organizeUndo(action); });
    }
    if (const auto& ask = assistants.ask) {
        actions.add("ask", [ask](const UrlAction&) { ask->pickAskDoc(); });
        actions.add("ai", [ask](const UrlAction& action) { ask->handleAI(action); });
    }
    if (const auto& reader = assistants.reader) {
        actions.add("outline", [reader](const UrlAction& action) { reader->outline(action); });
        actions.add("aitoc", [reader](const UrlAction& action) { reader->aiToc(action); });
        actions.add("xexplain", [reader](const UrlAction& action) { reader->explain(action); });
        actions.add("verifytext", [reader](const UrlAction& action) { reader->verifyText(action); });
    }
    if (const auto& photos = assistants.photos) {
        actions.add("culmoraphotos", [photos](const UrlAction&) { photos->sortPhotosLibrary(); });
        actions.add("culmoracollectlib", [photos](const UrlAction&) { photos->collectPhotosLibrary(); });
        actions.add("culmoraapply", [photos](const UrlAction& action) { photos->handleCulmoraApply(action); });
        actions.add("culmoracollect", [photos](const UrlAction& action) { photos->handleCulmoraCollect(action); });
        actions.add("culmorabake", [photos](const UrlAction& action) { photos->handleCulmoraBake(action); });
        actions.add("culmoramode", [photos](const UrlAction& action) { photos->handleCulmoraMode(action); });
    }
}

void registerMenuCommands(MenuCommands& commands, const Assistants& assistants)
{
    if (const auto& ask = assistants.ask)
        commands.add("pickAskDoc:", [ask](const MenuUse&) { ask->pickAskDoc(); });
    if (const auto& photos = assistants.photos) {
        commands.add("sortPhotosLibrary:", [photos](const MenuUse&) { photos->sortPhotosLibrary(); });
        commands.add("collectPhotosLibrary:", [photos](const MenuUse&) { photos->collectPhotosLibrary(); });
    }
}

}
