#include "platform/photos/PhotoLibrary.h"

namespace ikw::photos {

std::string albumCreationError(const std::string& title)
{
    return "Could not create the \u2018" + title + "\u2019 album.";
}

std::string albumFilingError(const std::string& title)
{
    return "Could not file into \u2018" + title + "\u2019.";
}

std::string albumRemovalError(const std::string& title)
{
    return "Could not remove from \u2018" + title + "\u2019.";
}

}
