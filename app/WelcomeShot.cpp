#include "app/WelcomeShot.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <tuple>
#include <cstdio>

namespace ikw {

namespace {

std::pair<double, double> parseSize(const std::optional<std::string>& value)
{
    constexpr std::pair<double, double> fallback { 1280, 900 };
    if (!value)
        return fallback;
    const auto parts = split(*value, 'x', false);
    if (parts.size() != 2)
        return fallback;
    const auto width = parseDouble(parts[0]);
    const auto height = parseDouble(parts[1]);
    if (!width || !height)
        return fallback;
    return { *width, *height };
}

}

std::optional<WelcomeShotOptions> parseWelcomeShotOptions(const CommandLine& commandLine)
{
    auto out = commandLine.valueOf("--welcome-shot");
    if (!out)
        return std::nullopt;
    WelcomeShotOptions options;
    options.out = *out;
    options.dark = commandLine.has("--dark");
    std::tie(options.width, options.height) = parseSize(commandLine.valueOf("--size", true));
    options.demo = commandLine.valueOf("--demo").value_or("marketing");
    options.wantTools = commandLine.has("--tab") && commandLine.has("tools");
    return options;
}

int runWelcomeShot(const CommandLine& commandLine)
{
    const auto options = parseWelcomeShotOptions(commandLine);
    if (!options) {
        std::fputs("--welcome-shot needs an output path\n", stderr);
        return 2;
    }
    std::fputs("welcome-shot: rendering is not available in this build\n", stderr);
    return 1;
}

double contentLuminanceSpan(const Bitmap& bitmap)
{
    double lowest = 1.0;
    double highest = 0.0;
    const int x0 = static_cast<int>(0.2 * bitmap.width), x1 = static_cast<int>(0.8 * bitmap.width);
    const int y0 = static_cast<int>(0.15 * bitmap.height), y1 = static_cast<int>(0.95 * bitmap.height);
    for (int x = x0; x < x1; x += 7) {
        for (int y = y0; y < y1; y += 7) {
            const std::size_t offset = static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.stride)
                + static_cast<std::size_t>(x) * static_cast<std::size_t>(bitmap.bytesPerPixel);
            if (offset + 2 >= bitmap.pixels.size())
                continue;
            const double luminance = 0.2126 * bitmap.pixels[offset] / 255.0
                + 0.7152 * bitmap.pixels[offset + 1] / 255.0
                + 0.0722 * bitmap.pixels[offset + 2] / 255.0;
            lowest = std::min(lowest, luminance);
            highest = std::max(highest, luminance);
        }
    }
    return highest - lowest;
}

}
