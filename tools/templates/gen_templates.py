#!/usr/bin/env python3
"""Generates the built-in layout templates: layout/templates.json (the build turns it into C++ with
emit_cpp.py).

Usage: gen_templates.py [--out-dir DIR] [--sheet FILE.png|FILE.svg] [--stats]
The layouts are defined in catalogue.py; the text is one JSON array, pretty-printed with an indent
of two spaces and keys in alphabetical order.
"""
import argparse
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from catalogue import CATALOGUE, make  # noqa: E402
import tuning  # noqa: E402


def templates():
    ts = [make(tid, design) for tid, design in CATALOGUE]
    tuning.apply_all(ts)
    return [t.to_json() for t in ts]


def text(docs):
    return json.dumps(docs, indent=2, sort_keys=True, ensure_ascii=True) + "\n"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out-dir", default=None)
    ap.add_argument("--sheet", default=None)
    ap.add_argument("--stats", action="store_true")
    args = ap.parse_args()
    docs = templates()
    txt = text(docs)
    if args.stats:
        import stats
        stats.show(docs)
    if args.out_dir:
        with open(os.path.join(args.out_dir, "templates.json"), "w") as f:
            f.write(txt)
    if args.sheet:
        if args.sheet.endswith(".png"):
            import sheetpng
            sheetpng.write(docs, args.sheet)
        else:
            import sheet
            sheet.write(docs, args.sheet)


if __name__ == "__main__":
    main()
