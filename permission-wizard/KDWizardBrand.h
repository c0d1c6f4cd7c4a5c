#pragma once

#include "permission-wizard/Color.h"
#include "permission-wizard/WizardImage.h"

#include <functional>
#include <optional>

namespace ikw::wizard {

// The host's colours and mark, each a function of the appearance so one brand serves light and dark.
struct KDWizardBrand {
    using ColorFor = std::function<Color(bool dark)>;
    using MarkFor = std::function<WizardImage(bool dark)>;

    // Without `accentText`, accent-coloured text uses the accent itself.
    KDWizardBrand(ColorFor accent, ColorFor ink, ColorFor inkMuted, std::optional<ColorFor> ground,
        ColorFor onAccent, std::optional<ColorFor> accentText, MarkFor mark);

    // A mark showing the running application's icon at size x size points, in either appearance.
    static MarkFor appIconMark(double size = 26);

    ColorFor accent;
    ColorFor ink;
    ColorFor inkMuted;
    std::optional<ColorFor> ground; // absent: the wizard keeps the window's own background
    ColorFor onAccent;
    ColorFor accentText;
    MarkFor mark;
};

// A brand evaluated for one appearance.
struct KDResolvedBrand {
    KDResolvedBrand(const KDWizardBrand& brand, bool dark);

    // Evaluated in this order.
    Color accent;
    Color ink;
    Color inkMuted;
    std::optional<Color> ground;
    Color onAccent;
    Color accentText;
    WizardImage mark;
};

}
