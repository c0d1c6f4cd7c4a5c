#include "crossdoc/CrossDocActions.h"

#include "crossdoc/CrossFolderSearch.h"
#include "crossdoc/LinkActions.h"
#include "crossdoc/ReaderSearch.h"
#include "review/UrlActions.h"

namespace ikw::crossdoc {

void registerActions(UrlActions& actions, const CrossDocServices& services)
{
    actions.add("readersearch", [workers = services.workers](const UrlAction& action) { readerSearch(action, *workers); });
    if (!services.search.expired()) {
        actions.add("search", [search = services.search](const UrlAction& action) {
            if (const auto service = search.lock())
                service->crossFolderSearchV2(action);
        });
    }
    registerLinkActions(actions, services.links);
    if (services.annotations.toolkit && services.annotations.documents)
        registerAnnotationActions(actions, services.annotations);
}

}
