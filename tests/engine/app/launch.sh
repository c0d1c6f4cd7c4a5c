#!/usr/bin/env bash
# Stand-in review launcher. A real engine reviews the documents and writes its review page over the
# loading file; this one writes a small page that lists what it was asked to do.
# IKW_STANDIN_DELAY=<seconds> makes it take that long first, like a real review.
set -u

loading_file= mode= options=() paths=()
while (($#)); do
  case $1 in
    --loading-file) loading_file=${2-}; shift 2 ;;
    --mode) mode=${2-}; shift 2 ;;
    --include-folders|--include-types) options+=("$1=${2-}"); shift 2 ;;
    --choose|--remember|--reset-pref|--fresh) options+=("$1"); shift ;;
    *) paths+=("$1"); shift ;;
  esac
done
if [[ -z $loading_file ]]; then
  echo "launch.sh: --loading-file is required" >&2
  exit 2
fi

sleep "${IKW_STANDIN_DELAY:-0}"

escape() {
  local text=${1//&/"&amp;"}
  text=${text//</"&lt;"}
  text=${text//>/"&gt;"}
  text=${text//\"/"&quot;"}
  printf '%s' "$text"
}

{
  printf '<!doctype html>\n<html><head><meta charset="utf-8"><title>Review</title></head>\n'
  printf '<body data-standin="review" data-mode="%s">\n<h1>Review</h1>\n<ul id="paths">\n' "$(escape "$mode")"
  for path in "${paths[@]}"; do
    printf '<li>%s</li>\n' "$(escape "$path")"
  done
  printf '</ul>\n<ul id="options">\n'
  for option in "${options[@]}"; do
    printf '<li>%s</li>\n' "$(escape "$option")"
  done
  printf '</ul>\n'
  # The set switch: the native side tells the page how its document set is shown.
  printf '<p><button id="separately">Open separately</button> <span id="set"></span></p>\n'
  printf '<script>\nwindow.ikwSetState = function (count, shown) { document.body.dataset.set = count + " " + shown; };\n'
  printf 'document.getElementById("separately").onclick = function () { location.href = "qeliz://multidoc?mode=separately"; };\n'
  printf '</script>\n'
  # Cross-folder search: the box sends "search"; the native side answers with counts, the index's
  # progress and the hits.
  cat <<'HTML'
<form id="search"><input id="q" type="search"> <button>Search</button></form>
<p id="progress"></p>
<p id="found"></p>
<ul id="hits"></ul>
<script>
document.getElementById("search").onsubmit = function () {
  location.href = "qeliz://search?q=" + encodeURIComponent(document.getElementById("q").value) + "&mode=exact";
  return false;
};
window.ikwIndexProgress = function (step) {
  document.body.dataset.progressSteps = String(Number(document.body.dataset.progressSteps || 0) + 1);
  document.getElementById("progress").textContent = "Indexing " + step.done + " of " + step.total + ": " + step.name;
};
window.ikwSearchResults = function (answer) {
  document.body.dataset.searchState = answer.indexed ? "indexed" : (answer.indexing ? "indexing" : "live");
  document.getElementById("found").textContent = answer.docCount + " documents, " + answer.hitCount + " hits";
  var list = document.getElementById("hits");
  list.textContent = "";
  answer.docs.forEach(function (doc) {
    doc.hits.forEach(function (hit) {
      var item = document.createElement("li");
      item.textContent = doc.name + " " + hit.atype + " " + hit.anchor + ": " + hit.snippet;
      list.appendChild(item);
    });
  });
};
</script>
</body></html>
HTML
} > "$loading_file.standin-tmp" && mv -f "$loading_file.standin-tmp" "$loading_file"
