#include "docops/PageOpRequest.h"

#include "review/UrlQuery.h"

namespace ikw::docops {

PageOpRequest PageOpRequest::fromUrl(std::string_view url)
{
    PageOpRequest request;
    request.op = urlQuery(url, "op");
    request.path = urlQuery(url, "path");
    if (!request.path)
        request.path = urlQuery(url, "p");
    request.pages = urlQuery(url, "pages");
    request.page = urlQuery(url, "page");
    request.deg = urlQuery(url, "deg");
    request.at = urlQuery(url, "at");
    request.from = urlQuery(url, "from");
    request.to = urlQuery(url, "to");
    request.order = urlQuery(url, "order");
    return request;
}

}
