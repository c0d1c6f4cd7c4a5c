#pragma once

#include "app/CommandLine.h"
#include "platform/core/FileSystem.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Toolkit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
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

// The largest edge "--size" takes, in pixels.
inline constexpr int kMaxShotEdge = 16384;

// Why the switches cannot run: the text for standard error (the exit status is 2).
struct WelcomeShotRefusal {
    std::string message;
};

// The welcome-screenshot switches. Refused without an output path, and with a "--size" value that
// is not two whole numbers from 1 to kMaxShotEdge joined by "x" (the usage then).
std::variant<WelcomeShotOptions, WelcomeShotRefusal> parseWelcomeShotOptions(const CommandLine& commandLine);

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

// PNG bytes as 8-bit RGBA rows; nothing when they do not decode.
std::optional<Bitmap> decodePng(const std::string& png);

// The script run in the loaded welcome page before the snapshot: the theme, no animations, and
// the tools tab when asked.
std::string welcomeShotScript(bool dark, bool wantTools);

// One welcome-screenshot run over a toolkit: load the page, settle, snapshot, check, write.
// It ends exactly once, through `finish` with the exit status; its messages are collected for
// standard output and standard error.
class WelcomeShot {
public:
    WelcomeShot(ui::Toolkit& toolkit, MainQueue& queue, FileSystem& fileSystem, WelcomeShotOptions options,
        std::function<void(int status)> finish);

    // Shows `pagePath` (nothing: the page could not be written) off-screen and starts the clock.
    void start(const std::optional<std::string>& pagePath);

    const std::string& standardOutput() const { return m_standardOutput; }
    const std::string& standardError() const { return m_standardError; }

    static constexpr double kSettleSeconds = 0.9;
    static constexpr double kTimeoutSeconds = 30;

private:
    void pageLoaded();
    void snapshotTaken(std::optional<std::string> png, const std::string& error);
    void end(int status, std::string error = {});

    ui::Toolkit& m_toolkit;
    MainQueue& m_queue;
    FileSystem& m_fileSystem;
    WelcomeShotOptions m_options;
    std::function<void(int)> m_finish;
    std::shared_ptr<ui::Window> m_window;
    std::shared_ptr<ui::WebView> m_view;
    Timer m_timeout;
    Timer m_settle;
    bool m_loaded = false;
    bool m_ended = false;
    std::string m_standardOutput;
    std::string m_standardError;
};

// Luminance span (highest minus lowest) sampled every 7 pixels over the content area: x from
// 20% to 80% of the width, y from 15% to 95% of the height. -1 when no sample fits.
double contentLuminanceSpan(const Bitmap& bitmap);
// Below this span the frame counts as blank: nothing was drawn.
inline constexpr double kBlankFrameSpan = 0.35;

}
