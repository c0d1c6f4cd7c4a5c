#include "permission-wizard/DragGuide.h"

#include <algorithm>

namespace ikw::wizard {

std::string DragGuide::instruction() const
{
    return "Click + in that list and choose " + appName + ", then switch it on:";
}

std::string DragGuide::hint() const
{
    return "Or drag it in. Either way pick the app itself, not anything inside it.";
}

std::string DragGuide::tooltip() const
{
    return "Drag " + appName + " into the list in Settings";
}

double DragGuide::targetScale(bool hovering, bool reduceMotion)
{
    return hovering && !reduceMotion ? hoverScale : 1.0;
}

DragGuide::Shadow DragGuide::shadow(bool hovering)
{
    return hovering ? Shadow { 0.2, 9 } : Shadow { 0.1, 5 };
}

double DragGuide::easeOut(double progress)
{
    const double t = std::clamp(progress, 0.0, 1.0);
    return 1 - (1 - t) * (1 - t) * (1 - t);
}

}
