#!/usr/bin/env python3
"""The checker's rules, as golden cases: each golden/GROUP/NAME.az beside NAME.out, the text
output of `azuvel-check --color=never NAME.az` run in the case's folder.

  golden_test.py AZUVEL_CHECK GOLDEN_DIR [--update] [--interpreter AZUVEL]
                                                      compare (or rewrite the .out files)
  golden_test.py AZUVEL_CHECK --clean FILE...         these scripts draw no diagnostic at all

With --interpreter, each case in a folder named "failures" is also run: it must stop with
"[Error] " and the message of the checker's first error, and status 1.
"""
import json
import os
import subprocess
import sys


def run(binary, path):
    result = subprocess.run([binary, "--color=never", os.path.basename(path)],
                            cwd=os.path.dirname(path) or ".", capture_output=True)
    return result.returncode, result.stdout.decode("utf-8", "replace"), result.stderr


def run_failure(binary, interpreter, case):
    """1 when the run does not stop with the checker's first error, else 0."""
    listed = subprocess.run([binary, "--format=json", case], capture_output=True)
    errors = [d for d in json.loads(listed.stdout) if d["severity"] == "error"]
    ran = subprocess.run([interpreter, case], capture_output=True, timeout=20)
    expected = f"[Error] {errors[0]['message']}\n".encode() if errors else b""
    if ran.returncode == 1 and ran.stderr == expected:
        return 0
    print(f"FAIL {case}: the run ended with status {ran.returncode} and {ran.stderr!r}, "
          f"expected {expected!r}")
    return 1


def main():
    binary = os.path.abspath(sys.argv[1])
    failures = 0
    if sys.argv[2] == "--clean":
        for path in sys.argv[3:]:
            status, out, err = run(binary, path)
            if status != 0 or out or err:
                failures += 1
                print(f"FAIL {path}: status {status}\n{out}{err.decode()}")
        print(f"{len(sys.argv) - 3 - failures} of {len(sys.argv) - 3} scripts clean")
        return 1 if failures else 0
    update = "--update" in sys.argv[3:]
    interpreter = None
    if "--interpreter" in sys.argv[3:]:
        interpreter = os.path.abspath(sys.argv[sys.argv.index("--interpreter") + 1])
    cases = sorted(os.path.join(folder, name)
                   for folder, _, names in os.walk(sys.argv[2])
                   for name in names if name.endswith(".az"))
    for case in cases:
        status, out, err = run(binary, case)
        expected_path = case[:-3] + ".out"
        if update:
            with open(expected_path, "w") as f:
                f.write(out)
            continue
        with open(expected_path) as f:
            expected = f.read()
        if interpreter and os.path.basename(os.path.dirname(case)) == "failures":
            failures += run_failure(binary, interpreter, case)
        if status not in (0, 1) or err or out != expected:
            failures += 1
            print(f"FAIL {case} (status {status})\n--- expected\n{expected}--- got\n{out}"
                  f"{err.decode()}")
    print(f"{len(cases) - failures} of {len(cases)} golden cases pass"
          + (" (updated)" if update else ""))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
