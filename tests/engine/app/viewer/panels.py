#!/usr/bin/env python3
"""Stand-in panel renderer: `panels.py KIND PAGE --version V --app NAME --category C [flags...]`
writes a small page for the panel KIND (settings, help, about, ...) to PAGE."""
import html
import sys


def main(argv):
    if len(argv) < 3:
        print("usage: panels.py KIND PAGE [--flag value]...", file=sys.stderr)
        return 2
    kind, page, rest = argv[1], argv[2], argv[3:]
    flags = dict(zip(rest[0::2], rest[1::2]))
    app = flags.get("--app", "")
    rows = "".join("<tr><th>%s</th><td>%s</td></tr>" % (html.escape(k), html.escape(v)) for k, v in flags.items())
    with open(page, "w", encoding="utf-8") as handle:
        handle.write("<!doctype html><html><head><meta charset=\"utf-8\"><title>%s</title></head>"
                     "<body data-standin=\"panel\" data-kind=\"%s\"><h1>%s · %s</h1><table>%s</table></body></html>\n"
                     % (html.escape(app), html.escape(kind), html.escape(app), html.escape(kind), rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
