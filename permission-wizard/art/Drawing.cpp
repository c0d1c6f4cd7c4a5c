#include "permission-wizard/art/Drawing.h"

#include <algorithm>
#include <cmath>

namespace ikw::wizard::art {

bool StrokeStyle::isFinite() const
{
    return std::isfinite(width) && std::isfinite(miterLimit) && std::isfinite(dashPhase)
        && std::all_of(dash.begin(), dash.end(), [](double length) { return std::isfinite(length); });
}

bool isFinite(Color color)
{
    return std::isfinite(color.red) && std::isfinite(color.green) && std::isfinite(color.blue)
        && std::isfinite(color.alpha);
}

}
