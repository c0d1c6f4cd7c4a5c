#include "review/EngineLauncher.h"

#include "app/Globals.h"
#include "app/TemplateFill.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Log.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/Process.h"
#include "review/EngineLocator.h"
#include "review/EngineProcess.h"

#include <algorithm>

namespace ikw {

namespace {

std::string loadingFileArgument(const std::vector<std::string>& arguments)
{
    const auto flag = std::find(arguments.begin(), arguments.end(), "--loading-file");
    return flag != arguments.end() && std::next(flag) != arguments.end() ? *std::next(flag) : std::string();
}

}

// Touched on the main thread only: runs are added there, and a finished run's thread hops there
// to remove itself.
struct EngineLauncher::Runs {
    std::multimap<std::string, std::shared_ptr<ProcessControl>> byLoadingFile;

    void remove(const std::string& loadingFile, const std::shared_ptr<ProcessControl>& control)
    {
        auto [first, last] = byLoadingFile.equal_range(loadingFile);
        for (auto it = first; it != last; ++it) {
            if (it->second == control) {
                byLoadingFile.erase(it);
                return;
            }
        }
    }
};

EngineLauncher::EngineLauncher()
    : m_runs(std::make_shared<Runs>())
{
}

EngineLauncher::~EngineLauncher() = default;

void EngineLauncher::shellEngine(std::vector<std::string> arguments)
{
    const std::string loadingFile = loadingFileArgument(arguments);
    auto control = std::make_shared<ProcessControl>();
    m_runs->byLoadingFile.emplace(loadingFile, control);

    ProcessOptions options;
    options.argv = { "/bin/bash", engineLauncher() };
    options.argv.insert(options.argv.end(), std::make_move_iterator(arguments.begin()), std::make_move_iterator(arguments.end()));
    options.captureStandardOutput = false;
    options.captureStandardError = false;
    options.onStandardErrorLine = [](std::string_view line) { logLine("engine: " + std::string(line)); };

    runOnOwnThread([runs = std::weak_ptr(m_runs), loadingFile, control, options = std::move(options)] {
        const ProcessResult result = runProcess(options, control);
        if (!result.started && !result.cancelled)
            logLine("could not start the engine: " + result.spawnError);
        mainQueue().post([runs, loadingFile, control] {
            if (const auto live = runs.lock())
                live->remove(loadingFile, control);
        });
    });
}

int EngineLauncher::cancelRuns(const std::string& loadingFile)
{
    auto [first, last] = m_runs->byLoadingFile.equal_range(loadingFile);
    int count = 0;
    for (auto it = first; it != last; ++it, ++count)
        it->second->cancel();
    return count;
}

bool EngineLauncher::isRunning(const std::string& loadingFile) const
{
    return m_runs->byLoadingFile.contains(loadingFile);
}

std::string newLoadingFile()
{
    const Globals& constants = globals();
    realFileSystem().createDirectories(constants.archive);
    const std::string path = joinPath(constants.archive, ".loading-" + makeUuid() + ".html");
    if (const IoStatus status = realFileSystem().replaceFile(path, constants.loadingHTML); !status)
        logLine("could not write the loading page: " + status.message());
    return path;
}

std::string cancelledHTML()
{
    static constexpr std::string_view page = R"html(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>__BRAND__</title>
<style>
  html, body { height: 100%; margin: 0; }
  body { display: flex; align-items: center; justify-content: center; background: #F4EFE4; color: #3A3F45;
         font-family: Cambria, 'Big Caslon', 'Hoefler Text', Georgia, serif; }
  .col { width: 420px; text-align: center; }
  .brand { font-size: 30px; color: #2A2D30; }
  .sentence { font-size: 14px; color: #6A6F75; margin: 14px 0 26px; }
  .links { display: flex; flex-direction: column; gap: 10px; }
  .links a { font-size: 14px; color: #4A4034; background: #fff; border: 1.5px solid #DCD2BB; border-radius: 10px;
             padding: 11px 18px; text-decoration: none; }
  .links a:hover { border-color: #C8A872; }
  .links a.primary { background: #C8A872; border-color: #C8A872; color: #23262A; font-weight: bold; }
  .close { font-size: 12px; color: #9A9088; margin-top: 18px; }
  @media (prefers-color-scheme: dark) {
    body { background: #1b1b1d; color: #C9C4BB; }
    .brand { color: #F0EBE1; }
    .sentence { color: #9A9690; }
    .links a { color: #E8E2D6; background: rgba(255, 255, 255, .05); border-color: rgba(255, 255, 255, .16); }
    .links a.primary { background: #C8A872; border-color: #C8A872; color: #1b1b1d; }
  }
</style>
</head>
<body>
<div class="col">
  <div class="brand">__BRAND__</div>
  <div class="sentence">Review canceled. What next?</div>
  <div class="links">
    <a class="primary" href="qeliz://retry">Try this folder again</a>
    <a href="qeliz://adjust">Change what's included…</a>
    <a href="qeliz://open">Open a different folder…</a>
    <a href="qeliz://prefs">Preferences…</a>
  </div>
  <div class="close">or just close this window (Ctrl+W)</div>
</div>
</body>
</html>
)html";
    return fillTemplate(page, { { "__BRAND__", TemplateValue::html(globals().brand.name) } });
}

void cancelReview(EngineLauncher& launcher, const std::string& loadingFile)
{
    launcher.cancelRuns(loadingFile);
    if (const IoStatus status = realFileSystem().replaceFile(loadingFile, cancelledHTML()); !status)
        logLine("could not write the cancelled page: " + status.message());
}

}
