#!/usr/bin/env python3
"""Stand-in local AI script.

  status                          {"running": true}; IKW_STANDIN_AI_RUNNING=0 answers false
  ask --doc D --q Q               {"answer", "pages"}: repeats the question and names the document
  summarize --doc D               {"summary", "pages"}
  terms --doc D                   {"terms": [{"term", "page", "summary"}]}

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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("verb", choices=["status", "ask", "summarize", "terms"])
    parser.add_argument("--doc", default="")
    parser.add_argument("--q", default=None)
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
    else:
        progress("Finding terms 1/1 documents")
        answer = {"terms": [{"term": "Document", "page": 1, "summary": describe(options.doc)}]}
    print(json.dumps(answer))


main()
