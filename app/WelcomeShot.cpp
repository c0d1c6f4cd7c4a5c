#include "app/WelcomeShot.h"

#include "app/WelcomePage.h"
#include "platform/core/GLibMainQueue.h"
#include "platform/core/Text.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"

#include <cairo.h>

#include <algorithm>
#include <tuple>
#include <cstdio>

namespace ikw {

namespace {

constexpr const char* kUsage = "usage: CulmoraPhotos --welcome-shot OUT.png [--dark] [--size WIDTHxHEIGHT] [--demo NAME] [--tab tools]\n"
                               "  --size takes two whole numbers from 1 to 16384, as in 1280x900\n";

// One edge of "--size": a whole number from 1 to kMaxShotEdge, in plain digits.
std::optional<int> parseEdge(const std::string& text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int edge = std::stoi(text);
    if (edge < 1 || edge > kMaxShotEdge)
        return std::nullopt;
    return edge;
}

std::optional<std::pair<int, int>> parseSize(const std::string& value)
{
    const auto parts = split(value, 'x', true);
    if (parts.size() != 2)
        return std::nullopt;
    const auto width = parseEdge(parts[0]);
    const auto height = parseEdge(parts[1]);
    if (!width || !height)
        return std::nullopt;
    return std::pair { *width, *height };
}

}

std::variant<WelcomeShotOptions, WelcomeShotRefusal> parseWelcomeShotOptions(const CommandLine& commandLine)
{
    auto out = commandLine.valueOf("--welcome-shot");
    if (!out)
        return WelcomeShotRefusal { "--welcome-shot needs an output path\n" };
    WelcomeShotOptions options;
    options.out = *out;
    options.dark = commandLine.has("--dark");
    if (const auto size = commandLine.valueOf("--size", true)) {
        const auto edges = parseSize(*size);
        if (!edges)
            return WelcomeShotRefusal { kUsage };
        options.width = edges->first;
        options.height = edges->second;
    }
    options.demo = commandLine.valueOf("--demo").value_or("marketing");
    options.wantTools = commandLine.has("--tab") && commandLine.has("tools");
    return options;
}

int runWelcomeShot(const CommandLine& commandLine)
{
    const auto parsed = parseWelcomeShotOptions(commandLine);
    if (const auto* refusal = std::get_if<WelcomeShotRefusal>(&parsed)) {
        std::fputs(refusal->message.c_str(), stderr);
        return 2;
    }
    const auto& options = std::get<WelcomeShotOptions>(parsed);
    if (!ui::gtk3::initializeGtk()) {
        std::fputs("welcome-shot: no display (set DISPLAY or run under xvfb-run)\n", stderr);
        return 1;
    }
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = ui::gtk3::makeGtkToolkit();
    int status = 1;
    WelcomeShot shot(*toolkit, queue, realFileSystem(), options, [&](int result) {
        status = result;
        queue.quit();
    });
    shot.start(writeWelcomeFile(std::nullopt, options.demo, commandLine.arguments()));
    queue.run();
    std::fputs(shot.standardOutput().c_str(), stdout);
    std::fputs(shot.standardError().c_str(), stderr);
    return status;
}

std::string welcomeShotScript(bool dark, bool wantTools)
{
    std::string script = std::string("document.documentElement.dataset.theme='") + (dark ? "dark" : "light") + "';";
    script += "var __s=document.createElement('style');";
    script += "__s.textContent='#ikwWelcome *,#ikwWelcome *::before,#ikwWelcome *::after{animation:none!important;transition:none!important}';";
    script += "document.head.appendChild(__s);";
    if (wantTools)
        script += "try{window.InkwardenWelcome._setTab('tools')}catch(e){};";
    script += "true";
    return script;
}

WelcomeShot::WelcomeShot(ui::Toolkit& toolkit, MainQueue& queue, FileSystem& fileSystem, WelcomeShotOptions options,
    std::function<void(int)> finish)
    : m_toolkit(toolkit)
    , m_queue(queue)
    , m_fileSystem(fileSystem)
    , m_options(std::move(options))
    , m_finish(std::move(finish))
{
}

void WelcomeShot::start(const std::optional<std::string>& pagePath)
{
    if (!pagePath) {
        end(1, "welcome-shot: load failed: the welcome page could not be written");
        return;
    }
    const int width = static_cast<int>(m_options.width);
    const int height = static_cast<int>(m_options.height);
    m_toolkit.setPrefersDark(m_options.dark);
    m_window = m_toolkit.makeWindow({ .width = width, .height = height, .title = "", .offscreen = true });
    m_view = m_toolkit.makeWebView(m_toolkit.makeWebContext(), { .width = width, .height = height, .scriptMessages = false });
    m_window->addTab(m_view, "");
    m_window->show();
    m_view->setLoadHandlers([this] { pageLoaded(); },
        [this](const std::string& reason) { end(1, "welcome-shot: load failed: " + reason); });
    m_timeout = m_queue.schedule(kTimeoutSeconds, false, [this] { end(1, "welcome-shot: timed out after 30s"); });
    m_view->loadFile(*pagePath);
}

void WelcomeShot::pageLoaded()
{
    if (m_loaded || m_ended)
        return;
    m_loaded = true;
    m_view->evaluate(welcomeShotScript(m_options.dark, m_options.wantTools), [this](ui::ScriptResult) {
        m_settle = m_queue.schedule(kSettleSeconds, false, [this] {
            m_view->snapshot([this](std::optional<std::string> png, std::string error) { snapshotTaken(std::move(png), error); });
        });
    });
}

void WelcomeShot::snapshotTaken(std::optional<std::string> png, const std::string& error)
{
    if (m_ended)
        return;
    const auto bitmap = png ? decodePng(*png) : std::nullopt;
    if (!bitmap) {
        end(1, "welcome-shot: snapshot failed: " + (error.empty() ? std::string("no image") : error));
        return;
    }
    const double span = contentLuminanceSpan(*bitmap);
    if (span < kBlankFrameSpan) {
        end(3, "welcome-shot: BLANK FRAME \u2014 luminance span " + formatFixed(span, 2)
                + " over the content area, nothing was drawn. Not written.");
        return;
    }
    if (auto written = m_fileSystem.writeFile(m_options.out, *png); !written) {
        end(1, "welcome-shot: write failed: " + written.message());
        return;
    }
    m_standardOutput = "OK " + m_options.out + " (" + std::to_string(png->size()) + " bytes, " + std::to_string(bitmap->width)
        + "x" + std::to_string(bitmap->height) + ", content span " + formatFixed(span, 2) + ")\n";
    end(0);
}

void WelcomeShot::end(int status, std::string error)
{
    if (m_ended)
        return;
    m_ended = true;
    m_timeout.cancel();
    m_settle.cancel();
    if (!error.empty())
        m_standardError += error + "\n";
    m_finish(status);
}

std::optional<Bitmap> decodePng(const std::string& png)
{
    struct Reader {
        const std::string& data;
        std::size_t offset = 0;
    } reader { png };
    auto read = [](void* closure, unsigned char* out, unsigned int length) {
        auto& source = *static_cast<Reader*>(closure);
        if (source.offset + length > source.data.size())
            return CAIRO_STATUS_READ_ERROR;
        std::copy_n(source.data.data() + source.offset, length, out);
        source.offset += length;
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(read, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    cairo_surface_flush(surface);
    Bitmap bitmap;
    bitmap.width = cairo_image_surface_get_width(surface);
    bitmap.height = cairo_image_surface_get_height(surface);
    bitmap.stride = bitmap.width * 4;
    bitmap.bytesPerPixel = 4;
    bitmap.pixels.resize(static_cast<std::size_t>(bitmap.stride) * static_cast<std::size_t>(bitmap.height));
    const unsigned char* rows = cairo_image_surface_get_data(surface);
    const int sourceStride = cairo_image_surface_get_stride(surface);
    const bool hasAlpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    for (int y = 0; y < bitmap.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(rows + static_cast<std::ptrdiff_t>(y) * sourceStride);
        std::uint8_t* out = bitmap.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.stride);
        for (int x = 0; x < bitmap.width; ++x) {
            const std::uint32_t pixel = row[x];
            out[4 * x] = static_cast<std::uint8_t>(pixel >> 16);
            out[4 * x + 1] = static_cast<std::uint8_t>(pixel >> 8);
            out[4 * x + 2] = static_cast<std::uint8_t>(pixel);
            out[4 * x + 3] = hasAlpha ? static_cast<std::uint8_t>(pixel >> 24) : 255;
        }
    }
    cairo_surface_destroy(surface);
    return bitmap;
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
