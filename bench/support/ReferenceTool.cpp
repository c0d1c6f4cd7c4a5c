#include "bench/support/ReferenceTool.h"

#include "platform/core/Process.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace ikw::bench {

void runReferenceTool(benchmark::State& state, std::vector<std::string> argv, double timeoutSeconds)
{
    ProcessOptions options;
    options.argv = std::move(argv);
    options.timeoutSeconds = timeoutSeconds;
    if (!runProcess(options).succeeded())
        state.SkipWithError(("cannot run " + options.argv[0]).c_str());
}

ProcessResult runTool(std::vector<std::string> argv, std::string input)
{
    ProcessOptions options;
    options.argv = std::move(argv);
    options.standardInput = std::move(input);
    options.timeoutSeconds = 600;
    return runProcess(options);
}

void writeGradientJpeg(const std::string& path, int width, int height)
{
    GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    guchar* pixels = gdk_pixbuf_get_pixels(image);
    const int stride = gdk_pixbuf_get_rowstride(image);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            guchar* p = pixels + y * stride + x * 3;
            p[0] = static_cast<guchar>(x * 255 / width);
            p[1] = static_cast<guchar>(y * 255 / height);
            p[2] = static_cast<guchar>((x ^ y) & 0xff);
        }
    gdk_pixbuf_save(image, path.c_str(), "jpeg", nullptr, "quality", "85", nullptr);
    g_object_unref(image);
}

}
