#!/usr/bin/env python3
"""Stand-in photo script of the sorter, over a plain folder of images.

  apply --dir D --reject-b64 B                    moves the named images of D into D/"Set Aside";
                                                  {"moved": N, "dest": "the Set Aside folder"}
  collectapply --album A --dest P --names-b64 B --dir D
                                                  copies the named images of D into P/A (D/A when P
                                                  is empty); {"filed": N, "album": A}
  collectremove --album A --dest P --names-b64 B  removes the named images from P/A;
                                                  {"removed": N, "album": A}

B is Base64 of a JSON array of file names. Names that are not plain file names, and files that are not
there, are skipped; nothing is ever replaced. Unreadable names answer {"error": ...}.

IKW_STANDIN_PHOTO_LOG=<file> appends each run's arguments to that file, one JSON line per run.

Each verb writes a progress line first, then its answer as the last line of standard output.
"""
import argparse
import base64
import binascii
import json
import os
import shutil
import sys

SET_ASIDE = "Set Aside"


def answer(value):
    print(json.dumps(value, ensure_ascii=False))


def names_from(text):
    try:
        names = json.loads(base64.b64decode(text, validate=True).decode("utf-8"))
    except (binascii.Error, ValueError, UnicodeDecodeError):
        return None
    if not isinstance(names, list) or not all(isinstance(name, str) for name in names):
        return None
    return names


def plain(name):
    return name not in ("", ".", "..") and "/" not in name and "\0" not in name


def move_into(folder, names, target, copy):
    os.makedirs(target, exist_ok=True)
    count = 0
    for name in filter(plain, names):
        source = os.path.join(folder, name)
        destination = os.path.join(target, name)
        if not os.path.isfile(source) or os.path.lexists(destination):
            continue
        if copy:
            shutil.copy2(source, destination)
        else:
            os.rename(source, destination)
        count += 1
    return count


def main():
    log = os.environ.get("IKW_STANDIN_PHOTO_LOG")
    if log:
        with open(log, "a", encoding="utf-8") as handle:
            handle.write(json.dumps(sys.argv[1:]) + "\n")
    parser = argparse.ArgumentParser()
    parser.add_argument("verb", choices=["apply", "collectapply", "collectremove"])
    parser.add_argument("--dir", default="")
    parser.add_argument("--reject-b64", default="")
    parser.add_argument("--album", default="")
    parser.add_argument("--dest", default="")
    parser.add_argument("--names-b64", default="")
    args = parser.parse_args()

    print("sorting %s" % args.verb)
    names = names_from(args.reject_b64 if args.verb == "apply" else args.names_b64)
    if names is None:
        answer({"error": "The photo names could not be read."})
        return
    if args.verb == "apply":
        moved = move_into(args.dir, names, os.path.join(args.dir, SET_ASIDE), copy=False)
        answer({"moved": moved, "dest": "the %s folder" % SET_ASIDE})
        return
    if not plain(args.album):
        answer({"error": "That album name cannot be used."})
        return
    album = os.path.join(args.dest or args.dir, args.album)
    if args.verb == "collectapply":
        answer({"filed": move_into(args.dir, names, album, copy=True), "album": args.album})
        return
    removed = 0
    for name in filter(plain, names):
        path = os.path.join(album, name)
        if args.dest and os.path.isfile(path):
            os.remove(path)
            removed += 1
    answer({"removed": removed, "album": args.album})


if __name__ == "__main__":
    main()
