#pragma once

#include "app/IkwNight.h"
#include "platform/core/Json.h"

namespace ikw {

// The night schedule's settings ("night_mode", "night_from", ...) read into a config. A value of
// the wrong type counts as missing and gives the field's default; "night_pages" must be a boolean.
// Missing coordinates stay missing: filling them from the time zone is the caller's choice.
IkwNight::Config nightConfigFromSettings(const Json& settings);

}
