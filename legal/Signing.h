#pragma once

#include "legal/SignRuns.h"
#include "legal/SignatureBridge.h"
#include "legal/SignedCopy.h"

#include <memory>

namespace ikw {
class UrlActions;
}

namespace ikw::legal {

// The native half of the reader's signing mode: the vault bridge, signature images, signed copies
// and sign runs. One per application.
struct Signing {
    SignatureBridge vault;
    SignedCopyServices copies;
    SignRuns runs;
};

// "sigvaultload", "sigvaultsave", "signimport", "signsave", "signrun", "signrunnext" and
// "signrunprev"; nothing once signing is gone.
void registerActions(UrlActions& actions, std::weak_ptr<Signing> signing);

}
