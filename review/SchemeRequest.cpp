#include "review/SchemeRequest.h"

namespace ikw::review {

SchemeResponse SchemeResponse::ok(std::string mimeType, std::string body)
{
    SchemeResponse response;
    response.mimeType = mimeType;
    response.headers = {
        { "Content-Type", std::move(mimeType) },
        { "Content-Length", std::to_string(body.size()) },
        { "Cache-Control", "no-store" },
        { "Access-Control-Allow-Origin", "*" },
    };
    response.body = std::move(body);
    return response;
}

}
