#!/usr/bin/env python3
"""Stand-in organizer: plans sub-folders by document kind, applies an approved plan and undoes it.

  plan --folder F       answers {"folder", "moves": [{"name", "to"}], "folders"}
  apply --plan P        P holds a plan as the page approved it; answers {"ok", "moved", "manifest", "failed"}
  undo --manifest M     moves everything back; answers {"ok", "restored", "failed"}

Progress lines ("· Reading 3/12 documents") go to standard error, the one JSON answer to standard
output. Only immediate entries of the plan's folder are moved, into sub-folders of it, never over an
existing name.
"""
import argparse
import json
import os
import sys
import time

KINDS = {
    "pdf": "PDFs", "doc": "Word documents", "docx": "Word documents", "odt": "Word documents",
    "rtf": "Word documents", "txt": "Notes", "md": "Notes", "markdown": "Notes",
    "html": "Web pages", "htm": "Web pages",
}
MANIFEST_PREFIX = ".inkwarden-organize-"


def progress(text):
    sys.stderr.write("\u00b7 " + text + "\n")
    sys.stderr.flush()


def answer(value):
    print(json.dumps(value))


def documents(folder):
    names = [name for name in os.listdir(folder)
             if not name.startswith(".") and os.path.isfile(os.path.join(folder, name))
             and os.path.splitext(name)[1][1:].lower() in KINDS]
    return sorted(names)


def plain_name(name):
    return isinstance(name, str) and name not in ("", ".", "..") and "/" not in name and "\0" not in name


def plan(folder):
    if not os.path.isdir(folder):
        return {"error": "That folder could not be read."}
    names = documents(folder)
    moves = []
    for index, name in enumerate(names, 1):
        progress("Reading %d/%d documents" % (index, len(names)))
        moves.append({"name": name, "to": KINDS[os.path.splitext(name)[1][1:].lower()]})
    return {"folder": folder, "moves": moves, "folders": sorted({move["to"] for move in moves})}


def apply(plan_path):
    with open(plan_path, encoding="utf-8") as handle:
        approved = json.load(handle)
    folder = approved.get("folder") if isinstance(approved, dict) else None
    moves = approved.get("moves") if isinstance(approved, dict) else None
    if not isinstance(folder, str) or not os.path.isabs(folder) or not os.path.isdir(folder) or not isinstance(moves, list):
        return {"error": "The plan does not name a folder to organize."}
    done, failed, made = [], [], []
    for index, move in enumerate(moves, 1):
        progress("Moving %d/%d" % (index, len(moves)))
        name, to = (move.get("name"), move.get("to")) if isinstance(move, dict) else (None, None)
        if not plain_name(name) or not plain_name(to):
            failed.append({"name": str(name), "why": "not a plain name"})
            continue
        source, target_folder = os.path.join(folder, name), os.path.join(folder, to)
        target = os.path.join(target_folder, name)
        if not os.path.isfile(source) or os.path.lexists(target):
            failed.append({"name": name, "why": "missing or already there"})
            continue
        if not os.path.isdir(target_folder):
            os.mkdir(target_folder)
            made.append(to)
        os.link(source, target)  # never over an existing name
        os.unlink(source)
        done.append({"name": name, "to": to})
    manifest = os.path.join(folder, MANIFEST_PREFIX + time.strftime("%Y%m%d-%H%M%S") + "-%d.json" % os.getpid())
    with open(manifest, "w", encoding="utf-8") as handle:
        json.dump({"folder": folder, "moves": done, "made": made}, handle)
    return {"ok": True, "moved": len(done), "manifest": manifest, "failed": failed}


def undo(manifest_path):
    with open(manifest_path, encoding="utf-8") as handle:
        manifest = json.load(handle)
    folder = manifest["folder"]
    restored, failed = 0, []
    for move in reversed(manifest["moves"]):
        name, to = move["name"], move["to"]
        if not plain_name(name) or not plain_name(to):
            continue
        source, target = os.path.join(folder, to, name), os.path.join(folder, name)
        if not os.path.isfile(source) or os.path.lexists(target):
            failed.append(name)
            continue
        os.link(source, target)
        os.unlink(source)
        restored += 1
    for to in manifest.get("made", []):
        if plain_name(to):
            try:
                os.rmdir(os.path.join(folder, to))
            except OSError:
                pass
    os.unlink(manifest_path)
    return {"ok": True, "restored": restored, "failed": failed}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("verb", choices=["plan", "apply", "undo"])
    parser.add_argument("--folder")
    parser.add_argument("--plan")
    parser.add_argument("--manifest")
    options = parser.parse_args()
    try:
        if options.verb == "plan":
            answer(plan(options.folder or ""))
        elif options.verb == "apply":
            answer(apply(options.plan or ""))
        else:
            answer(undo(options.manifest or ""))
    except (OSError, ValueError, KeyError, TypeError) as error:
        answer({"error": str(error)})


main()
