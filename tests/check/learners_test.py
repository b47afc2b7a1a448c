#!/usr/bin/env python3
"""Learners' mistakes, each with what its author meant: scripts in learners/ written as people
coming from Python, JavaScript, C and Lua write them, with `# meant: TEXT` lines giving the
output the author meant (one line each). For every script the checker flags something, and after
`azuvel-check --fix` the script prints what was meant or the checker still flags it: a fix never
gives a script that runs cleanly and prints something else. The formatter's side of the same
promise is held over these scripts by fmt.properties.

  learners_test.py AZUVEL_CHECK AZUVEL DIR
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile


def diagnostics(checker, path):
    done = subprocess.run([checker, "--format=json", path], capture_output=True, timeout=30)
    return json.loads(done.stdout or b"[]")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    checker, azuvel, folder = sys.argv[1:]
    names = sorted(name for name in os.listdir(folder) if name.endswith(".az"))
    counts = {"scripts": len(names), "unflagged": 0, "meant": 0, "still flagged": 0, "wrong": 0}
    with tempfile.TemporaryDirectory() as work:
        for name in names:
            path = os.path.join(folder, name)
            with open(path) as f:
                meant = "".join(line[len("# meant: "):] for line in f if line.startswith("# meant: "))
            if not diagnostics(checker, path):
                counts["unflagged"] += 1
                print(f"{name}: the checker flags nothing")
                continue
            fixed = os.path.join(work, name)
            shutil.copy(path, fixed)
            subprocess.run([checker, "--fix", fixed], capture_output=True, timeout=30)
            run = subprocess.run([azuvel, fixed], capture_output=True, timeout=30)
            if run.returncode == 0 and run.stdout.decode() == meant:
                counts["meant"] += 1
            elif diagnostics(checker, fixed):
                counts["still flagged"] += 1
            else:
                counts["wrong"] += 1
                print(f"{name}: after --fix it runs cleanly and prints {run.stdout.decode()!r}, "
                      f"not {meant!r}")
    print(", ".join(f"{value} {key}" for key, value in counts.items()))
    sys.exit(1 if counts["unflagged"] or counts["wrong"] else 0)


if __name__ == "__main__":
    main()
