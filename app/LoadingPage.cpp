#include "app/PageTemplates.h"
#include "app/TemplateFill.h"

namespace ikw {

namespace {

constexpr std::string_view kLoadingPage = R"html(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>__BRAND__ · preparing…</title>
<style>
  :root { color-scheme: light dark; }
  html, body { height: 100%; margin: 0; }
  body {
    display: flex; align-items: center; justify-content: center;
    background: #F4EFE4; color: #3A3F45;
    font: 15px/1.4 Cambria, Georgia, serif;
  }
  .wrap { text-align: center; }
  .mark { position: relative; width: 84px; height: 84px; margin: 0 auto 22px; }
  .mark span { position: absolute; border-radius: 50%; animation: pulse 2.6s ease-in-out infinite; }
  .mark .r1 { inset: 0; border: 1.5px solid rgba(200, 168, 114, .35); }
  .mark .r2 { inset: 13px; border: 1.5px solid rgba(200, 168, 114, .6); animation-delay: .2s; }
  .mark .r3 { inset: 26px; border: 1.5px solid rgba(200, 168, 114, .85); animation-delay: .4s; }
  .mark .dot { inset: 37px; background: #C8A872; animation-delay: .6s; }
  @keyframes pulse { 0%, 100% { transform: scale(.92); opacity: .7; } 50% { transform: scale(1.04); opacity: 1; } }
  @media (prefers-reduced-motion: reduce) { .mark span { animation: none; } }
  h1 { margin: 0 0 8px; font-size: 26px; font-weight: 600; color: #2A2D30; }
  #s { margin: 0 0 26px; min-height: 1.4em; color: #6A6F75; }
  a.cancel { color: #8A7A5C; font-size: 13px; text-decoration: none; border-bottom: 1px solid currentColor; }
  @media (prefers-color-scheme: dark) {
    body { background: #1b1b1d; color: #C9C4BB; }
    h1 { color: #F0EBE1; }
    #s { color: #9A9690; }
    a.cancel { color: #B5A689; }
  }
</style>
</head>
<body>
<div class="wrap">
  <div class="mark" aria-hidden="true"><span class="r1"></span><span class="r2"></span><span class="r3"></span><span class="dot"></span></div>
  <h1>__BRAND__</h1>
  <p id="s"></p>
  <a class="cancel" href="qeliz://cancel">Cancel</a>
</div>
<script>
(function () {
  var messages = ["Taking a pippet…", "Gathering your files…", "Looking everything over…",
                  "Lining up your review…", "Bringing the best forward…"];
  document.getElementById("s").textContent = messages[Math.floor(Date.now() / 1500) % messages.length];
@RELOAD@})();
</script>
</body>
</html>
)html";

// The engine overwrites the loading page's file with the finished review; reloading shows it.
constexpr std::string_view kReload = R"js(  setTimeout(function () {
    location.replace(location.protocol + "//" + location.host + location.pathname + "?_=" + Date.now());
  }, 1400);
)js";

std::string loadingDocument(const Brand& brand, std::string_view reload)
{
    std::string page(kLoadingPage);
    const std::string_view mark = "@RELOAD@";
    page.replace(page.find(mark), mark.size(), reload);
    return fillTemplate(page, { { "__BRAND__", TemplateValue::html(brand.name) } });
}

}

std::string loadingPage(const Brand& brand)
{
    return loadingDocument(brand, kReload);
}

std::string loadingText(const Brand& brand)
{
    return loadingDocument(brand, "");
}

}
