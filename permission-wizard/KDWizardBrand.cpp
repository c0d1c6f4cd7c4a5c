#include "permission-wizard/KDWizardBrand.h"

namespace ikw::wizard {

KDWizardBrand::KDWizardBrand(ColorFor accent, ColorFor ink, ColorFor inkMuted, std::optional<ColorFor> ground,
    ColorFor onAccent, std::optional<ColorFor> accentText, MarkFor mark)
    : accent(std::move(accent))
    , ink(std::move(ink))
    , inkMuted(std::move(inkMuted))
    , ground(std::move(ground))
    , onAccent(std::move(onAccent))
    , accentText(accentText ? std::move(*accentText) : this->accent)
    , mark(std::move(mark))
{
}

KDWizardBrand::MarkFor KDWizardBrand::appIconMark(double size)
{
    return [size](bool) { return WizardImage::applicationIcon(size); };
}

KDResolvedBrand::KDResolvedBrand(const KDWizardBrand& brand, bool dark)
    : accent(brand.accent(dark))
    , ink(brand.ink(dark))
    , inkMuted(brand.inkMuted(dark))
    , ground(brand.ground ? std::optional<Color>((*brand.ground)(dark)) : std::nullopt)
    , onAccent(brand.onAccent(dark))
    , accentText(brand.accentText(dark))
    , mark(brand.mark(dark))
{
}

}
