#pragma once

#include "platform/imaging/thumbnails/PixelBudget.h"
#include "platform/imaging/thumbnails/images/Pixbuf.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw::thumbnail {

// One freedesktop thumbnailer: a ".thumbnailer" key file naming a program for some MIME types.
struct DesktopThumbnailer {
    std::string tryExec;
    std::vector<std::string> exec; // split once; %i %u %o %s %% are substituted per argument
    std::vector<std::string> mimeTypes;

    static std::optional<DesktopThumbnailer> load(const std::string& path);
    // The argument vector for one job. The source path never meets a shell.
    std::vector<std::string> argumentsFor(const std::string& input, const std::string& output, int size) const;
    bool isInstalled() const;
};

// The thumbnailers in the "thumbnailers" folders under $XDG_DATA_HOME and each of $XDG_DATA_DIRS,
// earlier folders first.
std::vector<std::string> thumbnailerFolders();
std::optional<DesktopThumbnailer> findThumbnailer(const std::string& mimeType);

// Runs the thumbnailer into a private temporary file (30 s at most, its whole process group
// ended on time-out) and loads the image it made, fitted to the square.
Pixbuf renderWithThumbnailer(const DesktopThumbnailer& thumbnailer, const std::string& source, int pixelEdge, PixelBudget& budget);

}
