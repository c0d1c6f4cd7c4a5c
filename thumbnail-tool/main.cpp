// qelthumb: reads thumbnail jobs as lines on standard input ("source<TAB>output[<TAB>size]") and
// answers each with "source<TAB>OK" or "source<TAB>FAIL" on standard output, six renders at a time.

#include "platform/imaging/thumbnails/SystemRenderer.h"
#include "thumbnail-tool/ThumbnailRun.h"

#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

GLogWriterOutput dropLogMessage(GLogLevelFlags, const GLogField*, gsize, gpointer)
{
    return G_LOG_WRITER_HANDLED;
}

}

int main()
{
    // Callers read standard output only; libraries must not talk on standard error (the PDF
    // layer keeps MuPDF quiet itself).
    g_log_set_writer_func(dropLogMessage, nullptr, nullptr);

    ikw::thumbnail::SystemRenderer renderer;
    ikw::thumbnail::ResultWriter results([](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    });
    std::ios::sync_with_stdio(false);
    ikw::thumbnail::runJobs(std::cin, renderer, results);
    // Every answer is written and flushed and every thumbnail file closed: nothing is left to tear
    // down that a caller could see, and the tool is often run for a single job.
    std::fflush(stdout);
    std::_Exit(0);
}
