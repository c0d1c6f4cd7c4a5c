#include "platform/secrets/SecretStore.h"

namespace ikw::secrets {

std::string_view statusName(SecretStatus status)
{
    switch (status) {
    case SecretStatus::ok:
        return "ok";
    case SecretStatus::notFound:
        return "not found";
    case SecretStatus::unavailable:
        return "unavailable";
    case SecretStatus::error:
        return "error";
    }
    return "error";
}

}
