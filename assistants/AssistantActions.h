#pragma once

#include <memory>

namespace ikw {
class UrlActions;
}

namespace ikw::assistants {

class Organizer;

// The assistants the composition root made; a missing one has no rows.
struct Assistants {
    std::shared_ptr<Organizer> organizer;
};

// The assistants' rows of the review pages' action table: "organize", "organizeready",
// "organizeplan", "organizeapply" and "organizeundo".
void registerActions(UrlActions& actions, const Assistants& assistants);

}
