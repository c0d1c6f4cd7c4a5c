#!/usr/bin/env python3
"""Stand-in panel renderer: `panels.py KIND PAGE --version V --app NAME --category C [flags...]`
writes a small page for the panel KIND (settings, help, about, ...) to PAGE."""
import html
import json
import sys
import urllib.parse

SETTINGS_BUTTONS = ("<p><a id=\"mcpconnect\" href=\"qeliz://mcpconnect\">Connect to Claude Desktop</a> "
                    "<a id=\"mcpdisconnect\" href=\"qeliz://mcpdisconnect\">Disconnect</a></p>")
# The Full Disk Access page: its buttons, and the functions the watcher calls (the body's
# data-fda says which ran last).
FDA_PAGE = ("<p><a id=\"fdaopen\" href=\"qeliz://fdaopen\">Open Settings</a> "
            "<a id=\"finderext\" href=\"qeliz://finderext\">Set up the Files extension</a></p>"
            "<script>window.__fdaWatching=function(){document.body.dataset.fda='watching'};"
            "window.__fdaGranted=function(){document.body.dataset.fda='granted'};</script>")


def agreement_links(flags):
    """One "openagreement" link per agreement of --agreements, in their order."""
    try:
        items = json.loads(flags.get("--agreements", "[]"))
    except ValueError:
        items = []
    links = "".join("<li><a class=\"openagreement\" href=\"qeliz://openagreement?id=%s\">%s</a></li>"
                    % (html.escape(urllib.parse.quote(str(item.get("id", "")), safe="")), html.escape(str(item.get("title", ""))))
                    for item in (items if isinstance(items, list) else []) if isinstance(item, dict))
    return "<ul id=\"agreements\">%s</ul>" % links


def main(argv):
    if len(argv) < 3:
        print("usage: panels.py KIND PAGE [--flag value]...", file=sys.stderr)
        return 2
    kind, page, rest = argv[1], argv[2], argv[3:]
    flags = dict(zip(rest[0::2], rest[1::2]))
    app = flags.get("--app", "")
    # The settings page's buttons, as links to the application's panel actions.
    buttons = {"settings": SETTINGS_BUTTONS, "fda": FDA_PAGE}.get(kind, "")
    if kind == "agreements":
        buttons = agreement_links(flags)
    rows = "".join("<tr><th>%s</th><td>%s</td></tr>" % (html.escape(k), html.escape(v)) for k, v in flags.items())
    with open(page, "w", encoding="utf-8") as handle:
        handle.write("<!doctype html><html><head><meta charset=\"utf-8\"><title>%s</title></head>"
                     "<body data-standin=\"panel\" data-kind=\"%s\"><h1>%s · %s</h1><table>%s</table>%s</body></html>\n"
                     % (html.escape(app), html.escape(kind), html.escape(app), html.escape(kind), rows, buttons))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
