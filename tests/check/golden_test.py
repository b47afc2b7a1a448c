#!/usr/bin/env python3
"""The checker's rules, as golden cases: each golden/GROUP/NAME.az beside NAME.out, the text
output of `azuvel-check --color=never NAME.az` run in the case's folder.

  golden_test.py AZUVEL_CHECK GOLDEN_DIR [--update]   compare (or rewrite the .out files)
  golden_test.py AZUVEL_CHECK --clean FILE...         these scripts draw no diagnostic at all
"""
import os
import subprocess
import sys


def run(binary, path):
    result = subprocess.run([binary, "--color=never", os.path.basename(path)],
                            cwd=os.path.dirname(path) or ".", capture_output=True)
    return result.returncode, result.stdout.decode("utf-8", "replace"), result.stderr


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
        if status not in (0, 1) or err or out != expected:
            failures += 1
            print(f"FAIL {case} (status {status})\n--- expected\n{expected}--- got\n{out}"
                  f"{err.decode()}")
    print(f"{len(cases) - failures} of {len(cases)} golden cases pass"
          + (" (updated)" if update else ""))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
