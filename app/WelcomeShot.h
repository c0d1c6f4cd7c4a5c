#pragma once

#include "app/CommandLine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ikw {

struct WelcomeShotOptions {
    std::string out;
    bool dark = false;
    double width = 1280;
    double height = 900;
    std::string demo = "marketing";
    bool wantTools = false;
};

// The welcome-screenshot switches. Nothing when there is no output path.
std::optional<WelcomeShotOptions> parseWelcomeShotOptions(const CommandLine& commandLine);

// The "--welcome-shot" tool mode: renders the welcome page off-screen into a PNG.
int runWelcomeShot(const CommandLine& commandLine);

// A snapshot's pixels, 8-bit RGBA or RGB rows.
struct Bitmap {
    int width = 0;
    int height = 0;
    int stride = 0;          // bytes per row
    int bytesPerPixel = 4;   // 3 (RGB) or 4 (RGBA / RGBx)
    std::vector<std::uint8_t> pixels;
};

// Luminance span (highest minus lowest) sampled every 7 pixels over the content area: x from
// 20% to 80% of the width, y from 15% to 95% of the height. -1 when no sample fits.
double contentLuminanceSpan(const Bitmap& bitmap);
// Below this span the frame counts as blank: nothing was drawn.
inline constexpr double kBlankFrameSpan = 0.35;

}
