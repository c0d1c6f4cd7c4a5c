#include "app/AppDelegate.h"

#include "app/Settings.h"

namespace ikw {

void AppDelegate::applicationDidFinishLaunching()
{
    migrateLegacySupportDir();
}

void AppDelegate::applicationShouldHandleReopen(bool)
{
}

}
