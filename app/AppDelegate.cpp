#include "app/AppDelegate.h"

#include "app/Settings.h"

namespace ikw {

namespace {

void run(const std::function<void()>& step)
{
    if (step)
        step();
}

}

void AppDelegate::applicationDidFinishLaunching()
{
    migrateLegacySupportDir();
    run(m_services.noteSession);
}

void AppDelegate::applicationShouldHandleReopen(bool)
{
}

}
