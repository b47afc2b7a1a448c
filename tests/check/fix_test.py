#!/usr/bin/env python3
"""Every fix the checker offers on the golden cases, applied and checked again.

  fix_test.py AZUVEL_CHECK GOLDEN_DIR

For each diagnostic that carries fixes (azuvel-check --format=json), each fix is applied alone
to the script, and the result is checked again:
- no error stands on the lines the fix wrote but those that stood there before, other than
  the one fixed;
- a fix of an error leaves fewer errors in the script, and a fix of a warning no more errors
  and fewer warnings of that code.
"""
import json
import os
import subprocess
import sys
from collections import Counter


def check(binary, text):
    result = subprocess.run([binary, "--format=json", "-"], input=text, capture_output=True)
    if result.returncode not in (0, 1) or result.stderr:
        raise SystemExit(f"azuvel-check failed: {result.stderr!r}")
    return json.loads(result.stdout.decode("utf-8"))


def line_of(text, offset):
    return text.count(b"\n", 0, offset) + 1


def verdict(before, after, diagnostic, lines_before, lines_after):
    """The problem with a fix, or None."""
    errors_before = sum(d["severity"] == "error" for d in before)
    errors_after = [d for d in after if d["severity"] == "error"]
    stood = Counter(d["message"] for d in before if d["severity"] == "error" and d is not diagnostic
                    and lines_before[0] <= d["line"] <= lines_before[1])
    on_lines = [d for d in errors_after if lines_after[0] <= d["line"] <= lines_after[1]]
    came = Counter(d["message"] for d in on_lines) - stood
    on_lines = [d for d in on_lines if d["message"] in came]
    if on_lines:
        return "errors on the fixed lines: " + "; ".join(
            f'{d["line"]}:{d["column"]} {d["message"]}' for d in on_lines)
    if diagnostic["severity"] == "error":
        if len(errors_after) >= errors_before:
            return f"{errors_before} errors before, {len(errors_after)} after"
        return None
    same = lambda found: sum(d["code"] == diagnostic["code"] for d in found)
    if len(errors_after) > errors_before or same(after) >= same(before):
        return f"the {diagnostic['code']} warning stays, or errors came"
    return None


def main():
    binary, folder = os.path.abspath(sys.argv[1]), sys.argv[2]
    cases = sorted(os.path.join(where, name) for where, _, names in os.walk(folder)
                   for name in names if name.endswith(".az"))
    applied = failures = with_fixes = 0
    for case in cases:
        with open(case, "rb") as f:
            text = f.read()
        before = check(binary, text)
        for diagnostic in before:
            with_fixes += bool(diagnostic["fixes"])
            for fix in diagnostic["fixes"]:
                replacement = fix["replacement"].encode("utf-8")
                fixed = text[:fix["start"]] + replacement + text[fix["end"]:]
                first = line_of(fixed, fix["start"])
                last = line_of(fixed, fix["start"] + max(len(replacement) - 1, 0))
                last_before = line_of(text, max(fix["end"] - 1, fix["start"]))
                problem = verdict(before, check(binary, fixed), diagnostic, (first, last_before),
                                  (first, last))
                applied += 1
                if problem:
                    failures += 1
                    print(f"FAIL {case}:{diagnostic['line']}:{diagnostic['column']} "
                          f"[{diagnostic['code']}] fix {fix['replacement']!r}: {problem}")
    print(f"{applied} fixes of {with_fixes} diagnostics in {len(cases)} golden cases applied: "
          f"{applied - failures} accepted, {failures} not")
    return 1 if failures or applied == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
