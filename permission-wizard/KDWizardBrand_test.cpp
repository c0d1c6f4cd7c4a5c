#include "permission-wizard/KDWizardBrand.h"

#include <gtest/gtest.h>

namespace ikw::wizard {
namespace {

Color shade(double level) { return { level, level, level, 1 }; }

KDWizardBrand::ColorFor byAppearance(Color light, Color dark)
{
    return [=](bool isDark) { return isDark ? dark : light; };
}

KDWizardBrand brandWith(std::optional<KDWizardBrand::ColorFor> ground, std::optional<KDWizardBrand::ColorFor> accentText)
{
    return KDWizardBrand(byAppearance(shade(0.1), shade(0.9)), byAppearance(shade(0.2), shade(0.8)),
        byAppearance(shade(0.3), shade(0.7)), std::move(ground), byAppearance(shade(0.4), shade(0.6)),
        std::move(accentText), KDWizardBrand::appIconMark());
}

TEST(KDWizardBrand, ResolvesEachRoleForTheAppearance)
{
    for (const bool dark : { false, true }) {
        const KDResolvedBrand bare(brandWith(std::nullopt, std::nullopt), dark);
        EXPECT_EQ(bare.accentText, bare.accent);
        EXPECT_FALSE(bare.ground.has_value());
        EXPECT_EQ(bare.mark, WizardImage::applicationIcon(26));

        const KDResolvedBrand full(brandWith(byAppearance(shade(0.05), shade(0.95)), byAppearance(shade(0.5), shade(0.55))), dark);
        EXPECT_EQ(full.accent, dark ? shade(0.9) : shade(0.1));
        EXPECT_EQ(full.ink, dark ? shade(0.8) : shade(0.2));
        EXPECT_EQ(full.inkMuted, dark ? shade(0.7) : shade(0.3));
        EXPECT_EQ(full.onAccent, dark ? shade(0.6) : shade(0.4));
        EXPECT_EQ(full.accentText, dark ? shade(0.55) : shade(0.5));
        EXPECT_EQ(full.ground, dark ? shade(0.95) : shade(0.05));
    }
}

}
}
