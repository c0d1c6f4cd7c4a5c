#!/usr/bin/env python3
"""Stand-in for the engine's one-shot jobs: `--VERB INPUT OUTPUT` writes one JSON object to OUTPUT.

--to-pdf        a PDF stays itself; a text file becomes a one-page PDF of its first lines
--edit-probe    plain-text, Markdown, rich-text and Word documents are editable (with the reasons
                listed in IKW_STANDIN_EDIT_WHY, comma-separated, as what the editor cannot keep)
--render-pages  one entry per page of a PDF; other files need a converter
                (a missing file, or IKW_STANDIN_RENDER_FAIL=1, fails without an answer)
--grid-json     the rows of a CSV file
"""
import csv
import hashlib
import json
import os
import re
import sys

TEXT_TYPES = {".txt", ".md", ".csv"}
EDITABLE_TYPES = {".txt", ".md", ".rtf", ".docx"}


def text_pdf(lines):
    """The bytes of a one-page PDF showing `lines` in Helvetica."""
    def escape(line):
        return line.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")
    text = "BT /F1 12 Tf 72 720 Td 14 TL " + " ".join(
        "(%s) '" % escape(line.encode("latin-1", "replace").decode("latin-1")) for line in lines) + " ET"
    objects = [
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Length %d >>\nstream\n%s\nendstream" % (len(text.encode("latin-1")), text),
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += ("%d 0 obj\n%s\nendobj\n" % (number, body)).encode("latin-1")
    xref = len(out)
    out += ("xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)).encode("latin-1")
    for offset in offsets:
        out += ("%010d 00000 n \n" % offset).encode("latin-1")
    out += ("trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)).encode("latin-1")
    return bytes(out)


def to_pdf(source, output):
    extension = os.path.splitext(source)[1].lower()
    if extension == ".pdf":
        return {"pdf": source}
    if extension not in TEXT_TYPES:
        return {"error": "The stand-in engine converts only text files."}
    with open(source, encoding="utf-8", errors="replace") as handle:
        lines = handle.read().splitlines()[:40]
    digest = hashlib.sha256(os.path.abspath(source).encode()).hexdigest()[:16]
    pdf = os.path.join(os.path.dirname(output), ".converted-%s.pdf" % digest)
    with open(pdf, "wb") as handle:
        handle.write(text_pdf(lines))
    return {"pdf": pdf}


def edit_probe(source, _output):
    extension = os.path.splitext(source)[1].lower()
    if extension in EDITABLE_TYPES:
        why = [item for item in os.environ.get("IKW_STANDIN_EDIT_WHY", "").split(",") if item]
        return {"editable": True, "why": why}
    return {"editable": False, "why": ["The stand-in engine edits only text and Word documents."]}


def render_pages(source, _output):
    if os.environ.get("IKW_STANDIN_RENDER_FAIL") == "1" or not os.path.isfile(source):
        sys.exit(1)
    if os.path.splitext(source)[1].lower() != ".pdf":
        return {"path": source, "pages": [], "needs_converter": True}
    with open(source, "rb") as handle:
        count = len(re.findall(rb"/Type\s*/Page(?![a-zA-Z])", handle.read()))
    return {"path": source, "pages": [{"page": n + 1} for n in range(count)], "needs_converter": False}


def grid_json(source, _output):
    with open(source, newline="", encoding="utf-8", errors="replace") as handle:
        rows = list(csv.reader(handle))
    return {"name": os.path.basename(source), "rows": rows}


VERBS = {"--to-pdf": to_pdf, "--edit-probe": edit_probe, "--render-pages": render_pages, "--grid-json": grid_json}


def main(argv):
    if len(argv) != 4 or argv[1] not in VERBS:
        print("usage: rurede_gen.py --VERB INPUT OUTPUT", file=sys.stderr)
        return 2
    verb, source, output = argv[1:]
    try:
        answer = VERBS[verb](source, output)
    except OSError as error:
        answer = {"error": str(error)}
    with open(output, "w", encoding="utf-8") as handle:
        json.dump(answer, handle)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
