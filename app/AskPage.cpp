#include "app/PageTemplates.h"
#include "app/TemplateFill.h"

namespace ikw {

namespace {

// The brand goes into markup only (the script reads it back from the body's data attributes), so
// the one kind of escaping holds everywhere it appears.
constexpr std::string_view kAskPage = R"html(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Ask __BRAND__</title>
<style>
  :root { --bg: #F6F3EC; --panel: #FFFFFF; --ink: #2A2D30; --soft: #6A6F75; --line: #E2DACA;
          --accent: #C8A872; --accent-ink: #23262A; --me: #EFE7D6; --error: #B3261E; --mark: rgba(200, 168, 114, .35); }
  html[data-theme="dark"] { --bg: #1b1b1d; --panel: #232326; --ink: #EDE8DF; --soft: #9A9690; --line: #3A3834;
          --accent: #C8A872; --accent-ink: #1b1b1d; --me: #2E2B26; --error: #FF8A80; --mark: rgba(200, 168, 114, .3); }
  * { box-sizing: border-box; }
  html, body { height: 100%; margin: 0; }
  body { display: flex; flex-direction: column; background: var(--bg); color: var(--ink);
         font: 14px/1.5 -apple-system, "Segoe UI", Cantarell, "Noto Sans", sans-serif; }
  a { color: inherit; }
  header { display: flex; align-items: center; gap: 14px; padding: 12px 18px; border-bottom: 1px solid var(--line); }
  header .home, header .switch { text-decoration: none; color: var(--soft); white-space: nowrap; }
  .scope { display: flex; align-items: center; gap: 10px; flex: 1; min-width: 0; }
  .scope .icon { display: flex; color: var(--accent); }
  .scope .name { font-weight: 600; overflow: hidden; text-overflow: ellipsis; white-space: nowrap; }
  .scope .sub { color: var(--soft); font-size: 12px; }
  .chip { display: none; border: 1px solid var(--line); background: var(--panel); color: var(--ink);
          border-radius: 999px; padding: 3px 10px; font: inherit; font-size: 12px; cursor: pointer; }
  .chip.shown { display: inline-block; }
  main { flex: 1; display: flex; min-height: 0; }
  aside { width: 270px; border-right: 1px solid var(--line); display: flex; flex-direction: column; min-height: 0; }
  aside[hidden] { display: none; }
  aside input { margin: 10px; padding: 6px 9px; border: 1px solid var(--line); border-radius: 8px;
                background: var(--panel); color: var(--ink); font: inherit; }
  #files { flex: 1; overflow: auto; }
  .row { display: flex; align-items: center; gap: 8px; padding: 6px 12px; cursor: pointer; }
  .row:hover { background: var(--me); }
  .row.focused { background: var(--mark); }
  .row .n { flex: 1; overflow: hidden; text-overflow: ellipsis; white-space: nowrap; }
  .row .t { color: var(--soft); font-size: 11px; }
  .row .open { color: var(--soft); font-size: 12px; }
  .more, .empty { padding: 10px 12px; color: var(--soft); font-size: 12px; }
  .talk { flex: 1; display: flex; flex-direction: column; min-width: 0; }
  #conversation { flex: 1; overflow: auto; padding: 18px 22px; }
  .intro { color: var(--soft); max-width: 560px; }
  .intro p { margin: 0 0 6px; }
  .intro .lead { color: var(--ink); font-size: 16px; }
  .suggestions { display: flex; flex-wrap: wrap; gap: 8px; margin-top: 12px; }
  .suggestions button, .quick button { border: 1px solid var(--line); background: var(--panel); color: var(--ink);
          border-radius: 10px; padding: 6px 11px; font: inherit; cursor: pointer; }
  .msg { margin: 14px 0; max-width: 720px; }
  .msg .who { font-size: 10px; letter-spacing: .08em; color: var(--soft); margin-bottom: 3px; }
  .msg.me .body { background: var(--me); border-radius: 10px; padding: 8px 12px; display: inline-block; }
  .msg .body { white-space: pre-wrap; }
  .msg.waiting .body { color: var(--soft); font-style: italic; }
  .msg.error .body { color: var(--error); }
  .msg .foot { color: var(--soft); font-size: 12px; margin-top: 6px; display: flex; gap: 12px; align-items: center; }
  .msg .foot button { border: none; background: none; color: var(--soft); cursor: pointer; font: inherit; padding: 0; text-decoration: underline; }
  mark.cite { background: var(--mark); color: inherit; border-radius: 3px; padding: 0 2px; }
  .quick { display: flex; gap: 8px; padding: 0 22px 8px; }
  .composer { display: flex; gap: 8px; padding: 10px 22px 18px; }
  .composer input { flex: 1; padding: 9px 12px; border: 1px solid var(--line); border-radius: 10px;
                    background: var(--panel); color: var(--ink); font: inherit; }
  .composer button { border: none; border-radius: 10px; padding: 0 18px; background: var(--accent); color: var(--accent-ink);
                     font: inherit; font-weight: 600; cursor: pointer; }
  .composer button:disabled { opacity: .5; cursor: default; }
  #banner { display: none; margin: 12px 22px 0; padding: 10px 14px; border-radius: 10px; border: 1px solid var(--line);
            background: var(--panel); color: var(--soft); }
  #banner.shown { display: block; }
  code { font-family: ui-monospace, "DejaVu Sans Mono", monospace; font-size: 12px; }
</style>
</head>
<body data-brand="__BRAND__" data-domain="__DOMAIN__">
<header>
  <a class="home" href="qeliz://home">&lsaquo; Home</a>
  <div class="scope">
    <span class="icon" id="scopeIcon"></span>
    <div>
      <div class="name" id="scopeName">__NAME__</div>
      <div class="sub" id="scopeSub"></div>
    </div>
    <button class="chip" id="askAll" type="button"></button>
  </div>
  <a class="switch" href="qeliz://ask" title="Ask a different document or folder">Switch&hellip;</a>
</header>
<div id="banner">Local AI is off. Open Terminal and run <code>ollama serve</code> (one-time: <code>ollama pull qwen2.5-coder:14b</code>). Your documents never leave this computer.</div>
<main>
  <aside id="side" hidden>
    <input id="filter" type="search" placeholder="Filter files">
    <div id="files"></div>
  </aside>
  <section class="talk">
    <div id="conversation">
      <div class="intro" id="intro"></div>
    </div>
    <div class="quick" id="quick"></div>
    <form class="composer" id="composer">
      <input id="question" type="text" autocomplete="off" placeholder="Ask a question&hellip;">
      <button id="askButton" type="submit">Ask</button>
    </form>
  </section>
</main>
<script>
(function () {
  var DOC = __DOC__;
  var ISFOLDER = __ISFOLDER__;
  var FILES = __FILES__;
  var COUNT = __COUNT__;
  var NAME = document.getElementById("scopeName").textContent;
  var BRAND = document.body.dataset.brand;
  var DOMAIN = document.body.dataset.domain;

  var root = document.documentElement;
  var darkQuery = window.matchMedia("(prefers-color-scheme: dark)");
  function applyTheme() { root.dataset.theme = darkQuery.matches ? "dark" : "light"; }
  applyTheme();
  if (darkQuery.addEventListener) darkQuery.addEventListener("change", applyTheme);

  function $(id) { return document.getElementById(id); }
  function el(tag, className, text) {
    var node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined) node.textContent = text;
    return node;
  }
  function plural(n, one, many) { return n + " " + (n === 1 ? one : many); }

  var FOLDER_ICON = '<svg width="22" height="22" viewBox="0 0 24 24" fill="none" stroke="currentColor" stroke-width="1.6">'
    + '<path d="M3 7.5A1.5 1.5 0 0 1 4.5 6H9l2 2h8.5A1.5 1.5 0 0 1 21 9.5v8A1.5 1.5 0 0 1 19.5 19h-15A1.5 1.5 0 0 1 3 17.5z"/></svg>';
  var DOCUMENT_ICON = '<svg width="22" height="22" viewBox="0 0 24 24" fill="none" stroke="currentColor" stroke-width="1.6">'
    + '<path d="M7 3h7l4 4v13a1 1 0 0 1-1 1H7a1 1 0 0 1-1-1V4a1 1 0 0 1 1-1z"/><path d="M14 3v4h4M9 12h6M9 16h6"/></svg>';

  var focused = null; // the file name asked alone, or null for the whole scope
  var busy = false;
  var counter = 0;

  function scopePath() { return focused === null ? DOC : DOC + "/" + focused; }

  function extensionOf(name) {
    var dot = name.lastIndexOf(".");
    return dot > 0 ? name.slice(dot + 1) : "";
  }

  function renderScope() {
    $("scopeIcon").innerHTML = ISFOLDER ? FOLDER_ICON : DOCUMENT_ICON;
    var sub;
    if (ISFOLDER && focused !== null) sub = "1 of " + COUNT + " in " + NAME;
    else if (ISFOLDER) sub = "Folder \u00B7 " + plural(COUNT, "document", "documents");
    else sub = extensionOf(NAME).toUpperCase() + " document";
    $("scopeSub").textContent = sub;
    var chip = $("askAll");
    chip.textContent = "Ask all " + COUNT;
    chip.classList.toggle("shown", ISFOLDER && focused !== null);
    var rows = document.querySelectorAll(".row");
    for (var i = 0; i < rows.length; i++) rows[i].classList.toggle("focused", rows[i].dataset.name === focused);
  }

  function focus(name) {
    focused = focused === name ? null : name;
    renderScope();
  }

  function renderFiles() {
    var list = $("files");
    list.textContent = "";
    if (COUNT === 0) {
      list.appendChild(el("div", "empty", "No readable documents found in this folder. Use Switch\u2026 to pick a different folder or a single file."));
      return;
    }
    var needle = $("filter").value.toLowerCase();
    FILES.forEach(function (file) {
      if (needle && file.n.toLowerCase().indexOf(needle) < 0) return;
      var row = el("div", "row");
      row.dataset.name = file.n;
      row.appendChild(el("span", "n", file.n));
      row.appendChild(el("span", "t", file.t));
      var open = el("a", "open", "Open");
      open.href = "qeliz://reader?path=" + encodeURIComponent(DOC + "/" + file.n);
      open.addEventListener("click", function (event) { event.stopPropagation(); });
      row.appendChild(open);
      row.addEventListener("click", function () { focus(file.n); });
      list.appendChild(row);
    });
    if (FILES.length < COUNT) list.appendChild(el("div", "more", "+ " + (COUNT - FILES.length) + " more not shown"));
    renderScope();
  }

  var SUGGESTIONS = ISFOLDER
    ? ["Summarize what this whole folder is about.", "Which files mention a specific clause or term?",
       "List every key date and deadline across these files.", "Which is the most important document here, and why?"]
    : ["What are the key obligations of each party?", "Summarize this document in plain English.",
       "What are the important dates and deadlines?", "What should I watch out for in here?"];
  var QUICK = ISFOLDER
    ? [["\u2726 Summarize folder", "summarize", ""],
       ["\u26B2 Find across files", "ask", "Which files mention the most important terms, and what do they say?"],
       ["\u2630 Key terms", "terms", ""]]
    : [["\u2726 Summarize", "summarize", ""], ["\u2630 Key terms", "terms", ""]];
  var WAITING = { summarize: "Summarizing on your computer", terms: "Extracting terms on your computer", ask: "Reading on your computer" };

  function renderIntro() {
    var intro = $("intro");
    intro.appendChild(el("p", "lead", ISFOLDER ? "Ask across this whole folder." : "Ask anything about this document."));
    intro.appendChild(el("p", "", "Read and answered entirely on your computer by a local model. Nothing is uploaded."));
    if (ISFOLDER) intro.appendChild(el("p", "", BRAND + " searches every file and cites the source."));
    var box = el("div", "suggestions");
    SUGGESTIONS.forEach(function (text) {
      var button = el("button", "", text);
      button.type = "button";
      button.addEventListener("click", function () { send("ask", text, text); });
      box.appendChild(button);
    });
    intro.appendChild(box);
    QUICK.forEach(function (entry) {
      var button = el("button", "", entry[0]);
      button.type = "button";
      button.addEventListener("click", function () { send(entry[1], entry[2] || entry[0], entry[2]); });
      $("quick").appendChild(button);
    });
  }

  function addMessage(who, className, text) {
    var message = el("div", "msg " + className);
    message.appendChild(el("div", "who", who));
    message.appendChild(el("div", "body", text));
    $("conversation").appendChild(message);
    message.scrollIntoView({ block: "end" });
    return message;
  }

  function request(mode, id, question) {
    location.href = "qeliz://ai?mode=" + encodeURIComponent(mode) + "&id=" + encodeURIComponent(id)
      + "&doc=" + encodeURIComponent(scopePath()) + "&q=" + encodeURIComponent(question);
  }

  // One request at a time: the page waits for its answer before it sends the next.
  function send(mode, shown, question) {
    if (busy || (mode === "ask" && !question)) return;
    busy = true;
    $("askButton").disabled = true;
    addMessage("YOU", "me", shown);
    var id = "m" + (++counter);
    var waiting = addMessage("IW", "waiting", WAITING[mode] + "\u2026");
    waiting.id = id;
    request(mode, id, question);
  }

  // Parenthesised page references such as "(p. 4)" or "(p 2, 5 & 7)", and bracketed passages of up
  // to 60 characters that end in one, such as "[the buyer pays, p.4]".
  var PAGE_REF = "p\\.?\\s*\\d+(?:\\s*[,&]\\s*\\d+)*";
  var CITATION = new RegExp("\\(\\s*" + PAGE_REF + "\\s*\\)|\\[[^\\[\\]]{1,60}\\]", "gi");
  var BRACKET_END = new RegExp("(?:\\(\\s*" + PAGE_REF + "\\s*\\)|\\b" + PAGE_REF + ")\\s*\\]$", "i");

  function appendCited(node, text) {
    var last = 0, match;
    CITATION.lastIndex = 0;
    while ((match = CITATION.exec(text)) !== null) {
      if (match[0].charAt(0) === "[" && !BRACKET_END.test(match[0])) continue;
      node.appendChild(document.createTextNode(text.slice(last, match.index)));
      node.appendChild(el("mark", "cite", match[0]));
      last = match.index + match[0].length;
    }
    node.appendChild(document.createTextNode(text.slice(last)));
  }

  function copyText(text, button) {
    function done() {
      button.textContent = "Copied \u2713";
      setTimeout(function () { button.textContent = "Copy"; }, 1500);
    }
    var area = el("textarea");
    area.value = text;
    area.style.position = "fixed";
    area.style.opacity = "0";
    document.body.appendChild(area);
    area.select();
    try { document.execCommand("copy"); } catch (e) {}
    document.body.removeChild(area);
    done();
  }

  window.iwReply = function (id, data) {
    var message = document.getElementById(id);
    if (!message) return;
    data = data || {};
    message.classList.remove("waiting");
    var body = message.querySelector(".body");
    body.textContent = "";
    var answer = "";
    if (data.error) {
      message.classList.add("error");
      body.textContent = String(data.error);
    } else if (Array.isArray(data.terms)) {
      if (data.terms.length === 0) body.textContent = "No defined terms found in this document.";
      var list = el("ul");
      data.terms.forEach(function (term) {
        var item = el("li");
        item.appendChild(el("b", "", String(term.term || "")));
        if (term.page !== undefined && term.page !== null) item.appendChild(document.createTextNode(" (p." + term.page + ")"));
        if (term.summary) item.appendChild(document.createTextNode(" \u2014 " + term.summary));
        list.appendChild(item);
        answer += (term.term || "") + (term.summary ? ": " + term.summary : "") + "\n";
      });
      if (data.terms.length) body.appendChild(list);
    } else {
      answer = String(data.summary || data.answer || "");
      if (!answer) body.textContent = "(no answer)";
      else appendCited(body, answer);
    }
    if (!data.error) {
      var foot = el("div", "foot");
      var note = "";
      if (ISFOLDER && Array.isArray(data.sources) && data.sources.length)
        note = "Searched " + plural(data.sources.length, "passage", "passages") + " across the folder";
      else if (Array.isArray(data.pages) && data.pages.length)
        note = "Read pages " + data.pages.join(", ");
      if (note && typeof data.ms === "number") note += " \u00B7 " + (data.ms / 1000).toFixed(1) + "s";
      if (note) foot.appendChild(el("span", "", note));
      if (answer) {
        var copy = el("button", "", "Copy");
        copy.type = "button";
        copy.addEventListener("click", function () {
          copyText(answer.trim() + "\n\n\u2014 via " + BRAND + ", answered on my computer (" + DOMAIN + ")", copy);
        });
        foot.appendChild(copy);
      }
      message.appendChild(foot);
    }
    busy = false;
    $("askButton").disabled = false;
  };

  window.iwStatus = function (status) {
    $("banner").classList.toggle("shown", !!status && status.running === false);
  };

  $("askAll").addEventListener("click", function () { focused = null; renderScope(); });
  $("filter").addEventListener("input", renderFiles);
  $("composer").addEventListener("submit", function (event) {
    event.preventDefault();
    var question = $("question").value.trim();
    if (!question || busy) return;
    $("question").value = "";
    send("ask", question, question);
  });

  $("side").hidden = !ISFOLDER;
  if (ISFOLDER) renderFiles();
  renderIntro();
  renderScope();
  location.href = "qeliz://ai?mode=status&id=status&doc=" + encodeURIComponent(DOC);
})();
</script>
</body>
</html>
)html";

}

std::string askPageTemplate(const Brand& brand)
{
    return fillTemplate(kAskPage, {
        { "__BRAND__", TemplateValue::html(brand.name) },
        { "__DOMAIN__", TemplateValue::html(brand.domain) },
    });
}

std::string fillAskPage(std::string_view askTemplate, const AskPageScope& scope)
{
    Json files = Json::array();
    for (const AskPageFile& file : scope.files)
        files.push_back(Json { { "n", file.name }, { "t", file.type } });
    return fillTemplate(askTemplate, {
        { "__DOC__", TemplateValue::string(scope.path) },
        { "__NAME__", TemplateValue::html(scope.name) },
        { "__ISFOLDER__", TemplateValue::json(scope.isFolder) },
        { "__FILES__", TemplateValue::json(files) },
        { "__COUNT__", TemplateValue::json(scope.count) },
    });
}

}
