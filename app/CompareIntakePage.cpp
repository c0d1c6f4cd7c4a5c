#include "app/PageTemplates.h"

namespace ikw {

namespace {

constexpr std::string_view kCompareIntakePage = R"html(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Compare documents</title>
<style>
  html, body { height: 100%; margin: 0; }
  body { display: flex; align-items: center; justify-content: center; background: #F4EFE4; color: #2A2D30;
         font: 14px/1.45 -apple-system, "Segoe UI", Cantarell, "Noto Sans", sans-serif; }
  .wrap { width: 640px; text-align: center; }
  h1 { margin: 0 0 6px; font: 600 28px Cambria, Georgia, serif; }
  .lead { margin: 0 0 26px; color: #6A6F75; }
  .slots { display: flex; align-items: stretch; gap: 12px; }
  .slot { position: relative; flex: 1; min-height: 150px; padding: 18px; border: 1.5px dashed #CDBF9F; border-radius: 14px;
          background: #FFFFFF; cursor: pointer; display: flex; flex-direction: column; justify-content: center; gap: 6px; }
  .slot:hover { border-color: #C8A872; }
  .slot.filled { border-style: solid; }
  .slot .tag { font-size: 11px; letter-spacing: .1em; color: #9A9088; }
  .slot .main { font-size: 15px; overflow-wrap: anywhere; }
  .slot.filled .main { font-weight: 600; }
  .slot .hint { font-size: 12px; color: #9A9088; }
  .slot .remove { position: absolute; top: 8px; right: 10px; display: none; border: none; background: none;
                  color: #9A9088; font-size: 16px; cursor: pointer; }
  .slot.filled .remove { display: block; }
  #swap { align-self: center; border: 1px solid #DCD2BB; background: #FFFFFF; border-radius: 50%; width: 36px; height: 36px;
          font-size: 16px; cursor: pointer; }
  #compare { margin-top: 24px; border: none; border-radius: 10px; padding: 11px 34px; background: #C8A872; color: #23262A;
             font: inherit; font-weight: 700; cursor: pointer; }
  #compare:disabled { opacity: .45; cursor: default; }
  .note { margin-top: 14px; font-size: 12px; color: #9A9088; }
</style>
</head>
<body>
<div class="wrap">
  <h1>Compare documents</h1>
  <p class="lead">See both versions side by side with every change marked on the real pages. PDF, Word, or text.</p>
  <div class="slots">
    <div class="slot" id="slot-a" data-side="a">
      <button class="remove" type="button" title="Remove">&times;</button>
      <div class="tag">A · OLDER</div><div class="main"></div><div class="hint"></div>
    </div>
    <button id="swap" type="button" title="Swap sides">&#8644;</button>
    <div class="slot" id="slot-b" data-side="b">
      <button class="remove" type="button" title="Remove">&times;</button>
      <div class="tag">B · NEWER</div><div class="main"></div><div class="hint"></div>
    </div>
  </div>
  <button id="compare" type="button" disabled>Compare</button>
  <div class="note">Compared on your computer. Nothing is uploaded.</div>
</div>
<script>
(function () {
  var slots = { a: null, b: null };
  var EMPTY = { a: "Drop the older document here", b: "Drop the newer document here" };

  function render() {
    ["a", "b"].forEach(function (side) {
      var node = document.getElementById("slot-" + side);
      var slot = slots[side];
      node.classList.toggle("filled", !!slot);
      node.title = slot ? slot.path : "";
      node.querySelector(".main").textContent = slot ? slot.name : EMPTY[side];
      node.querySelector(".hint").textContent = slot ? "drop or click to choose a different file" : "or click to choose";
    });
    document.getElementById("compare").disabled = !(slots.a && slots.b);
  }

  window.ikwCompareSet = function (side, path, name) {
    if ((side !== "a" && side !== "b") || !path) return;
    slots[side] = { path: String(path), name: String(name || path.split("/").pop()) };
    render();
  };

  ["a", "b"].forEach(function (side) {
    var node = document.getElementById("slot-" + side);
    node.addEventListener("click", function () { location.href = "qeliz://comparepick?side=" + side; });
    node.querySelector(".remove").addEventListener("click", function (event) {
      event.stopPropagation();
      slots[side] = null;
      render();
    });
  });
  document.getElementById("swap").addEventListener("click", function () {
    var a = slots.a;
    slots.a = slots.b;
    slots.b = a;
    render();
  });
  document.getElementById("compare").addEventListener("click", function () {
    if (!(slots.a && slots.b)) return;
    location.href = "qeliz://comparego?a=" + encodeURIComponent(slots.a.path) + "&b=" + encodeURIComponent(slots.b.path);
  });

  render();
  window.__intakeReady = true;
})();
</script>
</body>
</html>
)html";

}

std::string compareIntakePage()
{
    return std::string(kCompareIntakePage);
}

}
