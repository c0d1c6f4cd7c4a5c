#!/usr/bin/env python3
"""Stand-in for the draft timeline's diff: `--multi-diff JOB ANSWER`.

The job holds `paths` and, for a reorder, `pairs`; the answer describes the drafts and gives, for
each pair "i>j", the lines removed from draft i and added in draft j (text files only).
"""
import json
import os
import sys


def lines_of(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as handle:
            return handle.read().splitlines()
    except OSError:
        return []


def main(argv):
    if len(argv) != 4 or argv[1] != "--multi-diff":
        print("usage: inkwarden_diff.py --multi-diff JOB ANSWER", file=sys.stderr)
        return 2
    with open(argv[2], encoding="utf-8") as handle:
        job = json.load(handle)
    paths = job.get("paths", [])
    pairs = job.get("pairs") or [[i, i + 1] for i in range(len(paths) - 1)]
    drafts = [{"path": path, "name": os.path.basename(path)} for path in paths]
    diffs = {}
    for earlier, later in pairs:
        before, after = lines_of(paths[earlier]), lines_of(paths[later])
        diffs["%d>%d" % (earlier, later)] = {
            "removed": [line for line in before if line not in after],
            "added": [line for line in after if line not in before],
        }
    with open(argv[3], "w", encoding="utf-8") as handle:
        json.dump({"drafts": drafts, "diffs": diffs}, handle)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
