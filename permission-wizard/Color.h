#pragma once

#include "platform/ui/Color.h"

namespace ikw::wizard {

// An sRGB colour with straight (not premultiplied) alpha, each channel 0...1: the toolkit's own,
// so brands are written with its factories (`Color::fromHex(0xCEB06B)`).
using Color = ui::Color;

}
