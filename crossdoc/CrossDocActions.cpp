#include "crossdoc/CrossDocActions.h"

#include "crossdoc/LinkActions.h"
#include "crossdoc/ReaderSearch.h"
#include "review/UrlActions.h"

namespace ikw::crossdoc {

void registerActions(UrlActions& actions, const CrossDocServices& services)
{
    actions.add("readersearch", [workers = services.workers](const UrlAction& action) { readerSearch(action, *workers); });
    registerLinkActions(actions, services.links);
    if (services.annotations.toolkit && services.annotations.documents)
        registerAnnotationActions(actions, services.annotations);
}

}
