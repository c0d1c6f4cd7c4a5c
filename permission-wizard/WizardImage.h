#pragma once

#include <string>

namespace ikw::wizard {

// An image for the display layer to draw: a picture file of the bundle, or the running
// application's own icon (whatever the desktop knows it by). A default value draws nothing.
struct WizardImage {
    std::string path;
    bool isApplicationIcon = false;
    // Framed in a size x size square, centred and scaled smoothly; 0 keeps the image's own size.
    double size = 0;

    static WizardImage file(std::string path) { return { std::move(path), false, 0 }; }
    static WizardImage applicationIcon(double size) { return { {}, true, size }; }

    bool isEmpty() const { return path.empty() && !isApplicationIcon; }

    friend bool operator==(const WizardImage&, const WizardImage&) = default;
};

}
