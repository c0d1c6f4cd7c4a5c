#include "services/OakruneFailure.h"

namespace ikw::services {

namespace {

struct MessageOf {
    std::string operator()(const OakruneFailure::ScopeMissing& failure) const
    {
        return "This connection doesn\u2019t have permission to " + failure.what + ". Reconnect with that permission from Oakrune.";
    }
    std::string operator()(const OakruneFailure::Offline& failure) const
    {
        return "Couldn\u2019t reach Oakrune: " + failure.reason;
    }
    std::string operator()(const OakruneFailure::Server& failure) const
    {
        std::string text = "Oakrune returned " + std::to_string(failure.status) + ".";
        if (!failure.message.empty())
            text += " " + failure.message;
        return text;
    }
    std::string operator()(const OakruneFailure::NotConnected&) const
    {
        return "Inkwarden is not connected to a Oakrune account yet.";
    }
    std::string operator()(const OakruneFailure::ClaimRejected&) const
    {
        return "That code didn\u2019t work. Codes last 10 minutes and can be used once \u2014 generate a fresh one in Oakrune and try again.";
    }
    std::string operator()(const OakruneFailure::Revoked&) const
    {
        return "This connection has ended. Reconnect from Oakrune to see your agreements again.";
    }
};

}

std::string OakruneFailure::message() const
{
    return std::visit(MessageOf {}, reason);
}

}
