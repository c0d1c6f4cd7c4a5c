#include "docops/PageOpRequest.h"

#include "review/SchemeQuery.h"

namespace ikw::docops {

PageOpRequest PageOpRequest::fromUrl(std::string_view url)
{
    PageOpRequest request;
    const auto query = review::SchemeQuery::parse(url);
    if (!query)
        return request;
    request.op = query->first("op");
    request.path = query->first("path");
    if (!request.path)
        request.path = query->first("p");
    request.pages = query->first("pages");
    request.page = query->first("page");
    request.deg = query->first("deg");
    request.at = query->first("at");
    request.from = query->first("from");
    request.to = query->first("to");
    request.order = query->first("order");
    return request;
}

}
