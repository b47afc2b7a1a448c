#!/usr/bin/env python3
"""The azuvel-check command line: options, exit statuses, input and output streams.

  cli_test.py AZUVEL_CHECK
"""
import os
import subprocess
import sys
import tempfile

CLEAN = b'var x = 1;\nprint(x);\n'


def main():
    binary = sys.argv[1]
    work = tempfile.mkdtemp()
    clean = os.path.join(work, "clean.az")
    with open(clean, "wb") as f:
        f.write(CLEAN)
    missing = os.path.join(work, "missing.az")
    fifo = os.path.join(work, "fifo")
    os.mkfifo(fifo)
    # (arguments, standard input, environment additions, status, stdout test, stderr test)
    cases = [
        ([], b"", {}, 2, b"", b"azuvel-check: no file to check\n"),
        (["--help"], b"", {}, 0, b"Usage: azuvel-check [options] FILE...\n", b""),
        (["-v"], b"", {}, 0, b"azuvel-check (Azuvel Re+4.0.0-Beta)\n", b""),
        (["--colour=never", clean], b"", {}, 2, b"", b"unknown option '--colour=never'"),
        ([clean], b"", {}, 0, b"", b""),
        (["-"], CLEAN, {}, 0, b"", b""),
        (["--", "-"], CLEAN, {}, 0, b"", b""),
        (["--format=json", clean], b"", {}, 0, b"[]\n", b""),
        ([missing], b"", {}, 2, b"", f"cannot read '{missing}': No such file or directory\n".encode()),
        ([work], b"", {}, 2, b"", f"cannot read '{work}': Is a directory\n".encode()),
        # One unreadable file does not stop the others from being checked.
        ([missing, clean], b"", {}, 2, b"", b"No such file or directory"),
        (["/dev/null"], b"", {}, 0, b"", b""),
        # Neither a pipe with no writer nor an endless device may hang the checker.
        (["/dev/zero"], b"", {}, 0, b"", b""),
        ([fifo], b"", {}, 0, b"", b""),
    ]
    failures = 0
    for args, stdin, env, status, out, err in cases:
        result = subprocess.run([binary, *args], input=stdin, capture_output=True, timeout=20,
                                env={**os.environ, **env})
        problems = []
        if result.returncode != status:
            problems.append(f"status {result.returncode}, expected {status}")
        if not (result.stdout.startswith(out) if out else result.stdout == b""):
            problems.append(f"stdout {result.stdout[:200]!r}")
        if not (err in result.stderr if err else result.stderr == b""):
            problems.append(f"stderr {result.stderr[:200]!r}")
        if problems:
            failures += 1
            print(f"FAIL azuvel-check {' '.join(args)}: {'; '.join(problems)}")
    print(f"{len(cases) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
