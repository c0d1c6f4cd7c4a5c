// The stand-in reader page in a real web view reads its text aloud: the page sends "speak", the
// window's espeak-ng synthesizer speaks into a recording, and the page lists every report.
#include "docops/ReviewPageOps.h"
#include "platform/core/Process.h"
#include "platform/core/Text.h"
#include "platform/speech/EspeakSynthesizer.h"
#include "platform/speech/WavFileSink.h"
#include "review/EngineLocator.h"
#include "review/PageBridge.h"
#include "review/ReviewOnScreenFixture.h"

namespace ikw::docops {
namespace {

constexpr double kTimeout = 20;

using ReadAloudOnScreen = ikw::testing::ReviewOnScreenFixture;

double soundSeconds(const std::string& wav)
{
    ProcessOptions options;
    options.argv = { "sox", wav, "-n", "stat" };
    options.timeoutSeconds = 30;
    for (const auto& line : split(runProcess(options).standardError, '\n')) {
        if (line.starts_with("Length (seconds)"))
            return parseDouble(trim(line.substr(line.find(':') + 1))).value_or(0);
    }
    return 0;
}

TEST_F(ReadAloudOnScreen, TheReaderPageHearsEachWordAndTheEnd)
{
    const std::string recording = home.file("speech.wav");
    speech::EspeakSpeechService speech([&](const speech::AudioFormat& format) { return speech::WavFileSink::create(recording, format); });
    const auto bridge = installPageBridge(services);
    const PageOpServices parts { .toolkit = toolkit.get(), .rewrites = nullptr, .reloadSettingsPanelIfOpen = {}, .readerURL = {}, .speech = &speech };
    registerActions(bridge->actions, parts);
    registerFeatures(services.features, parts);

    auto window = windows.open(std::nullopt);
    window->isReader = true;
    window->webView().loadUrl("file://" + readerHTMLPath());
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "document.getElementById('speak') ? 'ready' : ''") == "ready"; }, kTimeout));

    window->webView().evaluate("document.getElementById('speak').click();");
    const std::string listed = "Array.from(document.querySelectorAll('#speechlog li')).map(function (li) { return li.textContent; }).join('|')";
    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, listed).find("done") != std::string::npos; }, kTimeout))
        << ask(*window, listed);
    EXPECT_EQ(ask(*window, listed), "playing 1|range Hello 1|range world 1|done 1");
    EXPECT_FALSE(window->speakAwake);
    EXPECT_GT(soundSeconds(recording), 0.5);
}

}
}
