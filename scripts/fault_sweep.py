#!/usr/bin/env python3
"""Fault sweep: injects one-line faults one at a time and checks that the test suites catch them.

For each fault of the list (scripts/faults.txt by default): apply it, rebuild the plain build and run
its tests; if they pass, rebuild the sanitizer build and run its tests with the CI environment. The
file is always put back from a saved copy afterwards (also on Ctrl-C or an error); a copy is also kept
on disk, so a run killed outright is mended by the next run.

Outcomes: "caught (plain)", "caught (asan)", "survived", "invalid" (the fault does not build: mend
the fault, it does not count) and "not applicable" (its line is not in the file, or not exactly
once: the code moved on). The caught share counts caught and survived faults only.

    python3 scripts/fault_sweep.py [--faults FILE] [--build build] [--asan-build build-asan] [-j 4]
                                   [--only PATTERN] [--no-asan] [--report OUT.md]
The build directories must have been configured (and are best built once) beforehand. A fault
caught in the plain stage leaves the sanitizer build as it was; binaries are rebuilt from the
restored sources by their next build, and a faulted run may have rewritten files the tests write
into the build (the reference render build/layout-9-1.argb): run the plain tests again before the
Windows stage.
"""
import argparse
import json
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KEYS = ("file", "find", "replace", "what")


class Fault:
    def __init__(self, number, fields):
        self.number = number
        self.file = fields["file"]
        self.find = fields["find"]
        self.replace = fields.get("replace", "")
        self.what = fields["what"]
        self.folder = self.file.split("/")[0] + "/"
        self.outcome = ""
        self.caught_by = ""


def parse_faults(path):
    """Blocks of `key: value` lines separated by blank lines; # starts a comment line."""
    faults, fields = [], {}

    def close():
        if not fields:
            return
        missing = [k for k in ("file", "find", "what") if k not in fields]
        if missing:
            sys.exit(f"{path}: fault near {fields!r} lacks {', '.join(missing)}")
        faults.append(Fault(len(faults) + 1, dict(fields)))
        fields.clear()

    with open(path, encoding="utf-8") as f:
        for lineno, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                close()
                continue
            key, sep, value = line.partition(":")
            if not sep or key not in KEYS:
                sys.exit(f"{path}:{lineno}: expected one of {', '.join(KEYS)} followed by ':'")
            fields[key] = value[1:] if value.startswith(" ") else value
        close()
    return faults


class Injector:
    """Applies one fault; put back from the saved copy in memory or, after a kill, on disk."""

    def __init__(self, state_path):
        self.state_path = state_path
        self.path = None
        self.original = None

    def mend_left_over(self):
        if not os.path.exists(self.state_path):
            return
        with open(self.state_path, encoding="utf-8") as f:
            saved = json.load(f)
        with open(saved["path"], "wb") as f:
            f.write(saved["original"].encode("latin-1"))
        os.remove(self.state_path)
        print(f"put back {saved['path']} left faulted by an interrupted run")

    def apply(self, fault):
        """Returns None when applied, else the reason it is not applicable."""
        path = os.path.join(ROOT, fault.file)
        if not os.path.exists(path):
            return "no such file"
        with open(path, "rb") as f:
            original = f.read()
        text = original.decode("latin-1")
        count = text.count(fault.find)
        if count != 1:
            return "line not found" if count == 0 else f"found {count} times"
        with open(self.state_path, "w", encoding="utf-8") as f:
            json.dump({"path": path, "original": text}, f)
        self.path, self.original = path, original
        with open(path, "wb") as f:
            f.write(text.replace(fault.find, fault.replace).encode("latin-1"))
        return None

    def restore(self):
        if self.path is None:
            return
        with open(self.path, "wb") as f:
            f.write(self.original)
        self.path, self.original = None, None
        if os.path.exists(self.state_path):
            os.remove(self.state_path)


def run(cmd, cwd, env=None, timeout=None):
    try:
        p = subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           text=True, errors="replace", timeout=timeout)
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired as e:
        out = e.stdout if isinstance(e.stdout, str) else (e.stdout or b"").decode(errors="replace")
        return -1, out + "\n(timed out)"


def failed_tests(output):
    """Names of the failed tests in ctest's output (not the skipped ones it also lists)."""
    failed = output.split("The following tests FAILED:", 1)
    names = re.findall(r"^\s*\d+ - (\S+) \(", failed[1], re.M) if len(failed) == 2 else []
    return names or re.findall(r"Test\s+#\d+: (\S+) \.+\*\*\*", output)


def asan_env():
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = "detect_leaks=1:abort_on_error=1:strict_string_checks=1:intercept_tls_get_addr=0"
    env["UBSAN_OPTIONS"] = "print_stacktrace=1:halt_on_error=1"
    env["LSAN_OPTIONS"] = "suppressions=" + os.path.join(ROOT, "tests", "lsan.supp")
    return env


def stage(build_dir, jobs, env, timeout):
    """Builds and tests one build; returns ("invalid"|"caught"|"passed", detail)."""
    rc, out = run(["cmake", "--build", build_dir, "-j", str(jobs)], ROOT)
    if rc != 0:
        errors = [l for l in out.splitlines() if "error" in l.lower()][:3]
        return "invalid", "; ".join(errors)[:300]
    rc, out = run(["ctest", "-j", str(jobs), "--stop-on-failure", "--timeout", str(timeout),
                   "--output-on-failure"], os.path.join(ROOT, build_dir), env, timeout * 4)
    if rc == 0:
        return "passed", ""
    names = failed_tests(out)
    return "caught", ", ".join(names[:3]) if names else "(see ctest output)"


def sweep_one(fault, injector, args):
    reason = injector.apply(fault)
    if reason:
        return "not applicable", reason
    try:
        result, detail = stage(args.build, args.jobs, None, args.timeout)
        if result != "passed":
            return ("invalid" if result == "invalid" else "caught (plain)"), detail
        if args.no_asan:
            return "survived", "(plain only)"
        result, detail = stage(args.asan_build, args.jobs, asan_env(), args.timeout * 3)
        if result == "invalid":
            return "invalid", "asan: " + detail
        return ("caught (asan)", detail) if result == "caught" else ("survived", "")
    finally:
        injector.restore()


def summary(faults, report_path):
    lines = ["| # | folder | file | fault | what a user sees | outcome | caught by |",
             "|---|---|---|---|---|---|---|"]
    for f in faults:
        change = f"`{f.find.strip()}` -> `{f.replace.strip() or '(dropped)'}`".replace("|", "\\|")
        lines.append(f"| {f.number} | {f.folder} | {f.file} | {change} | {f.what} | {f.outcome} | "
                     f"{f.caught_by.replace('|', '/')} |")
    counted = [f for f in faults if f.outcome.startswith("caught") or f.outcome == "survived"]
    caught = [f for f in counted if f.outcome.startswith("caught")]
    tally = {}
    for f in faults:
        key = f.outcome.split(" (")[0] if f.outcome.startswith("caught") else f.outcome
        tally[key] = tally.get(key, 0) + 1
    share = 100.0 * len(caught) / len(counted) if counted else 0.0
    lines.append("")
    lines.append(f"caught {len(caught)} of {len(counted)} counted faults: {share:.1f} % "
                 f"({', '.join(f'{v} {k}' for k, v in sorted(tally.items()))})")
    per_folder = {}
    for f in counted:
        c, n = per_folder.get(f.folder, (0, 0))
        per_folder[f.folder] = (c + f.outcome.startswith("caught"), n + 1)
    lines.append("per folder: " + ", ".join(f"{k} {c}/{n}" for k, (c, n) in sorted(per_folder.items())))
    survivors = [f for f in faults if f.outcome == "survived"]
    if survivors:
        lines.append("survivors: " + ", ".join(f"#{f.number} {f.file}" for f in survivors))
    text = "\n".join(lines)
    print(text)
    if report_path:
        with open(report_path, "w", encoding="utf-8") as out:
            out.write(text + "\n")
    return share


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--faults", default=os.path.join(ROOT, "scripts", "faults.txt"))
    parser.add_argument("--build", default="build", help="plain build directory (from the root)")
    parser.add_argument("--asan-build", default="build-asan", help="sanitizer build directory")
    parser.add_argument("-j", "--jobs", type=int, default=4)
    parser.add_argument("--timeout", type=int, default=300, help="seconds per test in the plain build")
    parser.add_argument("--only", help="regular expression on the file, or a list of fault numbers (3,7,12)")
    parser.add_argument("--no-asan", action="store_true", help="plain stage only")
    parser.add_argument("--report", help="also write the table to this file")
    parser.add_argument("--list", action="store_true", help="list the faults and stop")
    args = parser.parse_args()

    faults = parse_faults(args.faults)
    if args.only:
        if re.fullmatch(r"[\d,\s]+", args.only):
            wanted = {int(n) for n in args.only.replace(" ", "").split(",") if n}
            faults = [f for f in faults if f.number in wanted]
        else:
            faults = [f for f in faults if re.search(args.only, f.file)]
    if args.list:
        for f in faults:
            print(f"{f.number:3d} {f.file}: {f.what}")
        return 0

    injector = Injector(os.path.join(ROOT, ".fault_sweep_saved.json"))
    injector.mend_left_over()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    started = time.time()
    try:
        for i, fault in enumerate(faults, 1):
            t0 = time.time()
            fault.outcome, fault.caught_by = sweep_one(fault, injector, args)
            print(f"[{i}/{len(faults)}] #{fault.number} {fault.file}: {fault.outcome} "
                  f"{fault.caught_by} ({time.time() - t0:.0f} s)", flush=True)
    except (KeyboardInterrupt, SystemExit):
        print("interrupted; the faulted file is put back")
        faults = [f for f in faults if f.outcome]
    finally:
        injector.restore()
    print(f"\nswept {len(faults)} faults in {(time.time() - started) / 60:.1f} min\n")
    summary(faults, args.report)
    return 0


if __name__ == "__main__":
    sys.exit(main())
