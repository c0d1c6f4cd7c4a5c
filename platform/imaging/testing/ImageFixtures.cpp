#include "platform/imaging/testing/ImageFixtures.h"

#include "platform/core/GObjectRef.h"
#include "platform/core/Process.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace ikw::imaging::testing {

void writeImage(const std::string& path, int width, int height, Rgba left, Rgba right, const std::string& type)
{
    const bool alpha = type == "png" || type == "tiff";
    const auto pixbuf = GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, width, height));
    if (!pixbuf) {
        std::fprintf(stderr, "image fixture: cannot allocate %dx%d\n", width, height);
        std::abort();
    }
    const int channels = gdk_pixbuf_get_n_channels(pixbuf.get());
    const int stride = gdk_pixbuf_get_rowstride(pixbuf.get());
    guint8* pixels = gdk_pixbuf_get_pixels(pixbuf.get());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba& colour = x < width / 2 ? left : right;
            guint8* pixel = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride)
                + static_cast<std::size_t>(x) * static_cast<std::size_t>(channels);
            pixel[0] = colour.red;
            pixel[1] = colour.green;
            pixel[2] = colour.blue;
            if (alpha)
                pixel[3] = colour.alpha;
        }
    }
    GError* error = nullptr;
    if (!gdk_pixbuf_save(pixbuf.get(), path.c_str(), type.c_str(), &error, nullptr)) {
        std::fprintf(stderr, "image fixture: cannot save %s: %s\n", path.c_str(), error ? error->message : "");
        std::abort();
    }
}

bool writeHeic(const std::string& path, int width, int height, Rgba left, Rgba right)
{
    const std::string png = path + ".source.png";
    writeImage(png, width, height, left, right);
    ProcessOptions options;
    options.argv = { "heif-enc", "--quality", "90", png, "--output", path };
    options.timeoutSeconds = 60;
    const bool made = runProcess(options).succeeded();
    ::unlink(png.c_str());
    return made;
}

}
