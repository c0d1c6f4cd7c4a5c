#pragma once

#include "legal/BatesConfig.h"
#include "legal/BatesManifest.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Choosing a run's first number so that no Bates number is ever handed out twice in a folder.
namespace ikw::legal::BatesStamper {

// Labels are printed as 32-bit numbers; beyond this they would wrap.
inline constexpr std::int64_t maxBatesNumber = 2147483647;

inline constexpr std::string_view unreadableManifestMessage =
    "The audit manifest in this folder could not be read. Nothing was stamped.";
inline constexpr std::string_view numberLimitMessage = "Bates numbers cannot go past 2147483647.";

struct RunStart {
    std::optional<std::int64_t> start; // set when the run may go ahead
    std::string refusal;               // why not, otherwise
    bool collision = false;            // the refusal names numbers already assigned
};

// The first number of a run that may stamp up to `pageBound` pages (the pages of the inputs not
// yet recorded in the manifest's sources). Without an explicit start the configured start is
// raised past every assigned range. The run is refused when the manifest is unreadable, when any
// number it may hand out is already assigned, or when it would pass `maxBatesNumber`.
RunStart chooseRunStart(const LoadedManifest& loaded, const BatesConfig& config,
    std::optional<std::int64_t> explicitStart, std::int64_t pageBound);

}
