#!/usr/bin/env python3
"""Reads ThreadSanitizer output and fails on every report that is not the OpenGL driver's own.

A report is the driver's own when, for each access it names (and for a lock-order or mutex
report, each stack it shows), the first frame below the sanitizer's interceptors lies in one of
the driver's libraries (Mesa, LLVM, the GL dispatch, EGL). Frames of ours further up the stack
(the render call that entered the driver) do not make it ours; a racing access made by our own
code does, even when a driver frame is also on the stack.
Usage: tsan_reports.py LOG  -> exit 0 when every report is the driver's, 1 otherwise.
"""
import re
import sys

DRIVER = re.compile(r"\((?:[^)]*/)?(libgallium|swrast_dri|libLLVM|libglapi|libEGL_mesa|libGLX_mesa|libEGL|libGL)[^)]*\)")
SANITIZER = re.compile(r"libtsan|tsan_interceptors|sanitizer_common")
FRAME = re.compile(r"^\s+#(\d+) ")


def reports(text):
    parts = re.split(r"^==================\s*$", text, flags=re.M)
    return [p for p in parts if "WARNING: ThreadSanitizer" in p]


def stacks(report):
    """The first frame of each stack of the report, interceptors skipped."""
    firsts, current = [], None
    for line in report.splitlines():
        m = FRAME.match(line)
        if not m:
            current = None
            continue
        if m.group(1) == "0" or current is None:
            current = []
            firsts.append(current)
        if not current and not SANITIZER.search(line):
            current.append(line)
    return [s[0] if s else "" for s in firsts]


def is_driver_own(report):
    heads = stacks(report)
    # Allocation stacks ("Location is heap block ... allocated by") and mutex creation stacks
    # describe memory, not access; only the access stacks decide, and they come first.
    access = heads[:2] if "data race" in report else heads
    return bool(access) and all(DRIVER.search(h) for h in access)


def main():
    text = open(sys.argv[1], errors="replace").read()
    ours = [r for r in reports(text) if not is_driver_own(r)]
    total = len(reports(text))
    print(f"tsan: {total} report(s), {total - len(ours)} the driver's own, {len(ours)} ours")
    for r in ours:
        print(r)
    return 1 if ours else 0


if __name__ == "__main__":
    sys.exit(main())
