#include "app/PageTemplates.h"
#include "app/TemplateFill.h"

#include "platform/core/Paths.h"

namespace ikw {

namespace {

constexpr std::string_view kVisualDiffPage = R"html(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Visual compare</title>
<style>
  :root { --bg: #F4EFE4; --bar: #FFFFFF; --ink: #2A2D30; --soft: #6A6F75; --line: #DCD2BB; --accent: #C8A872; }
  html[data-theme="dark"] { --bg: #1b1b1d; --bar: #232326; --ink: #EDE8DF; --soft: #9A9690; --line: #3A3834; }
  html, body { margin: 0; min-height: 100%; }
  body { background: var(--bg); color: var(--ink); font: 13px/1.4 -apple-system, "Segoe UI", Cantarell, "Noto Sans", sans-serif; }
  .bar { position: sticky; top: 0; display: flex; align-items: center; gap: 10px; padding: 8px 14px;
         background: var(--bar); border-bottom: 1px solid var(--line); }
  .names { flex: 1; min-width: 0; color: var(--soft); overflow: hidden; text-overflow: ellipsis; white-space: nowrap; }
  .names b { color: var(--ink); font-weight: 600; }
  button { border: 1px solid var(--line); background: transparent; color: var(--ink); border-radius: 7px;
           padding: 3px 10px; font: inherit; cursor: pointer; }
  button.on { background: var(--accent); border-color: var(--accent); color: #23262A; }
  #pageLabel { min-width: 56px; text-align: center; }
  #changeLabel { min-width: 90px; color: var(--soft); }
  .views { display: inline-flex; gap: 2px; }
  .stage { position: relative; display: flex; justify-content: center; padding: 18px; }
  .stage img { display: none; max-width: 100%; box-shadow: 0 1px 6px rgba(0, 0, 0, .18); background: #fff; }
  .stage img.shown[src] { display: block; }
  #message { position: fixed; left: 50%; top: 64px; transform: translateX(-50%); padding: 6px 14px; border-radius: 8px;
             background: var(--bar); border: 1px solid var(--line); color: var(--soft); }
  #message[hidden] { display: none; }
  .legend { text-align: center; color: var(--soft); padding-bottom: 18px; }
</style>
</head>
<body>
<div class="bar">
  <button id="prev" type="button" title="Previous page">&lsaquo;</button>
  <span id="pageLabel"></span>
  <button id="next" type="button" title="Next page">&rsaquo;</button>
  <button id="nextChange" type="button">Next change &rarr;</button>
  <span id="changeLabel"></span>
  <span class="names"><b id="nameA">__NAMEA__</b> &rarr; <b id="nameB">__NAMEB__</b></span>
  <span class="views">
    <button id="viewDiff" type="button" class="on">Diff</button><button id="viewA" type="button">A</button><button id="viewB" type="button">B</button>
  </span>
</div>
<div id="message">Rendering…</div>
<div class="stage">
  <img id="overlay" class="shown" alt="">
  <img id="a" alt="">
  <img id="b" alt="">
</div>
<div class="legend">highlighted regions changed from A to B</div>
<script>
(function () {
  var A = __A__;
  var B = __B__;

  var root = document.documentElement;
  root.dataset.theme = window.matchMedia("(prefers-color-scheme: dark)").matches ? "dark" : "light";
  function $(id) { return document.getElementById(id); }
  $("nameA").title = A;
  $("nameB").title = B;

  var cache = {};      // answers by page
  var page = 1;        // the page shown or wanted
  var total = null;    // known once an answer arrives
  var scanning = null; // the page a "Next change" scan waits for
  var hideTimer = null;

  function say(text, hideAfter) {
    clearTimeout(hideTimer);
    $("message").textContent = text;
    $("message").hidden = false;
    if (hideAfter) hideTimer = setTimeout(function () { $("message").hidden = true; }, hideAfter);
  }
  function quiet() { clearTimeout(hideTimer); $("message").hidden = true; }

  function changed(r) { return !!(r.added || r.removed || r.frac > 0); }

  function request(p) {
    location.href = "qeliz://visualdiff?page=" + p + "&a=" + encodeURIComponent(A) + "&b=" + encodeURIComponent(B);
  }

  function setImage(id, data) {
    if (data) $(id).src = "data:image/png;base64," + data;
    else $(id).removeAttribute("src");
  }

  function show(r) {
    quiet();
    setImage("overlay", r.overlay);
    setImage("a", r.a);
    setImage("b", r.b);
    $("pageLabel").textContent = r.page + " / " + (total === null ? "?" : total);
    var label = $("changeLabel");
    var percent = Math.round((r.frac || 0) * 100);
    if (r.added) label.textContent = "page added";
    else if (r.removed) label.textContent = "page removed";
    else if (percent > 0) {
      label.textContent = "";
      var bold = document.createElement("b");
      bold.textContent = percent + "%";
      label.appendChild(bold);
      label.appendChild(document.createTextNode(" changed"));
    } else label.textContent = "identical";
  }

  function go(p) {
    page = p;
    $("pageLabel").textContent = p + " / " + (total === null ? "?" : total);
    if (cache[p]) { show(cache[p]); return; }
    say("Rendering page " + p + "\u2026");
    request(p);
  }

  function previous() { if (page > 1) go(page - 1); }
  function next() { if (total !== null && page < total) go(page + 1); }

  // Walks forward one answer at a time until a page that changed, or the end.
  function scan(from) {
    for (var p = from; ; p++) {
      if (total === null || p > total) {
        scanning = null;
        say("No further changes", 1100);
        return;
      }
      if (!cache[p]) {
        scanning = p;
        say("Scanning for changes\u2026");
        request(p);
        return;
      }
      if (changed(cache[p])) {
        scanning = null;
        go(p);
        return;
      }
    }
  }
  function nextChange() { if (scanning === null) scan(page + 1); }

  window.ikwVisualDiff = function (r) {
    if (!r || typeof r.page !== "number") return;
    // A document that does not open fails every page alike: the message says so, and a scan stops.
    if (typeof r.error === "string") {
      scanning = null;
      say(r.error);
      return;
    }
    cache[r.page] = r;
    if (typeof r.total === "number") total = r.total;
    if (scanning !== null && r.page === scanning) { scan(r.page); return; }
    if (r.page === page) show(r);
  };

  function view(which) {
    ["overlay", "a", "b"].forEach(function (id) { $(id).classList.toggle("shown", id === which); });
    $("viewDiff").classList.toggle("on", which === "overlay");
    $("viewA").classList.toggle("on", which === "a");
    $("viewB").classList.toggle("on", which === "b");
  }

  $("prev").addEventListener("click", previous);
  $("next").addEventListener("click", next);
  $("nextChange").addEventListener("click", nextChange);
  $("viewDiff").addEventListener("click", function () { view("overlay"); });
  $("viewA").addEventListener("click", function () { view("a"); });
  $("viewB").addEventListener("click", function () { view("b"); });
  document.addEventListener("keydown", function (event) {
    if (event.key === "ArrowRight" || event.key === " ") { event.preventDefault(); next(); }
    else if (event.key === "ArrowLeft") { event.preventDefault(); previous(); }
    else if (event.key === "1") view("overlay");
    else if (event.key === "2") view("a");
    else if (event.key === "3") view("b");
  });

  $("pageLabel").textContent = "1 / ?";
  request(1);
})();
</script>
</body>
</html>
)html";

}

std::string visualDiffPageTemplate()
{
    return std::string(kVisualDiffPage);
}

std::string fillVisualDiffPage(std::string_view visualDiffTemplate, std::string_view pathA, std::string_view pathB)
{
    return fillTemplate(visualDiffTemplate, {
        { "__A__", TemplateValue::string(pathA) },
        { "__B__", TemplateValue::string(pathB) },
        { "__NAMEA__", TemplateValue::html(lastPathComponent(pathA)) },
        { "__NAMEB__", TemplateValue::html(lastPathComponent(pathB)) },
    });
}

}
