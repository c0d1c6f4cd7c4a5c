#!/usr/bin/env python3
"""Stand-in local AI script.

  status                          {"running": true}; IKW_STANDIN_AI_RUNNING=0 answers false
  ask --doc D --q Q               {"answer", "pages"}: repeats the question and names the document
  summarize --doc D               {"summary", "pages"}
  terms --doc D                   {"terms": [{"term", "page", "summary"}]}
  toc --doc D                     {"toc": [{"title", "page", "level"}]}: one entry per page of a PDF
  explain --passages F --q Q      {"explanation", "count"}: names the question and the passages in F

IKW_STANDIN_AI_LOG=<file> appends each run's arguments to that file, one JSON line per run.

Each verb writes a progress line to standard error and then one JSON line to standard output.
"""
import argparse
import json
import os
import sys


def progress(text):
    sys.stderr.write("\u00b7 " + text + "\n")
    sys.stderr.flush()


def describe(doc):
    if os.path.isdir(doc):
        count = len([name for name in os.listdir(doc) if not name.startswith(".")])
        return "the folder %s (%d items)" % (os.path.basename(doc), count)
    if os.path.isfile(doc):
        return "%s (%d bytes)" % (os.path.basename(doc), os.path.getsize(doc))
    return "%s, which is not there" % os.path.basename(doc)


def page_count(doc):
    try:
        with open(doc, "rb") as handle:
            data = handle.read()
    except OSError:
        return 0
    return max(1, data.count(b"/Type /Page") - data.count(b"/Type /Pages"))


def passages(path):
    try:
        with open(path, encoding="utf-8") as handle:
            items = json.load(handle)
    except (OSError, ValueError):
        return None
    return items if isinstance(items, list) else None


def main():
    log = os.environ.get("IKW_STANDIN_AI_LOG")
    if log:
        with open(log, "a", encoding="utf-8") as handle:
            handle.write(json.dumps(sys.argv[1:]) + "\n")
    parser = argparse.ArgumentParser()
    parser.add_argument("verb", choices=["status", "ask", "summarize", "terms", "toc", "explain"])
    parser.add_argument("--doc", default="")
    parser.add_argument("--q", default=None)
    parser.add_argument("--passages", default="")
    options = parser.parse_args()
    if options.verb == "status":
        progress("Checking the local model")
        answer = {"running": os.environ.get("IKW_STANDIN_AI_RUNNING", "1") != "0"}
    elif options.verb == "ask":
        progress("Reading 1/1 documents")
        answer = {"answer": "You asked: %s About %s (p. 1)" % (options.q, describe(options.doc)), "pages": [1]}
    elif options.verb == "summarize":
        progress("Summarizing 1/1 documents")
        answer = {"summary": "A summary of %s." % describe(options.doc), "pages": [1]}
    elif options.verb == "toc":
        progress("Reading\u2026")
        pages = page_count(options.doc)
        answer = {"toc": [{"title": "Part %d" % page, "page": page, "level": 0} for page in range(1, pages + 1)]}
    elif options.verb == "explain":
        progress("Explaining")
        items = passages(options.passages)
        if items is None:
            answer = {"error": "The passages could not be read."}
        else:
            answer = {"explanation": "About %s: %d passages." % (options.q, len(items)), "count": len(items)}
    else:
        progress("Finding terms 1/1 documents")
        answer = {"terms": [{"term": "Document", "page": 1, "summary": describe(options.doc)}]}
    print(json.dumps(answer))


main()
