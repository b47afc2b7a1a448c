#!/usr/bin/env python3
"""The azuvel-check command line: options, exit statuses, input and output streams.

  cli_test.py AZUVEL_CHECK
"""
import os
import subprocess
import sys
import tempfile

CLEAN = b'var x = 1;\nprint(x);\n'


def check_fix(binary, work):
    """--diff shows and changes nothing; --fix rewrites the file, keeps its mode, leaves no
    temporary file, says what it did, and ends with the status of the fixed script."""
    script = os.path.join(work, "fixable.az")
    before = b"var x = 1\nx += 2;\nif (x <= 3) { print(x); }\n"
    with open(script, "wb") as f:
        f.write(before)
    os.chmod(script, 0o640)
    diff = subprocess.run([binary, "--diff", script], capture_output=True, timeout=20)
    with open(script, "rb") as f:
        unchanged = f.read() == before
    fixed = subprocess.run([binary, "--fix", script], capture_output=True, timeout=20)
    with open(script, "rb") as f:
        after = f.read()
    problems = []
    if not unchanged or b"-x += 2;\n+x = x + 2;\n" not in diff.stdout:
        problems.append(f"--diff: {diff.stdout!r}")
    # The "<=" fix needs a choice: it is left, and the script still has that error.
    if after != b"var x = 1;\nx = x + 2;\nif (x <= 3) { print(x); }\n" or fixed.returncode != 1:
        problems.append(f"--fix wrote {after!r}, status {fixed.returncode}")
    if fixed.stdout != (f"{script}:1:10: fixed: inserted ';' [expected-semicolon]\n"
                        f"{script}:2:1: fixed: replaced 'x += 2;' with 'x = x + 2;' "
                        f"[compound-assignment]\n").encode():
        problems.append(f"--fix said {fixed.stdout!r}")
    if os.stat(script).st_mode & 0o777 != 0o640 or sorted(os.listdir(work)) != ["clean.az", "fifo", "fixable.az"]:
        problems.append(f"--fix left mode {oct(os.stat(script).st_mode)}, {os.listdir(work)}")
    # Through a symbolic link the file it names is fixed, and the link stays a link.
    link = os.path.join(work, "link.az")
    with open(script, "wb") as f:
        f.write(b"print(1)\n")
    os.symlink("fixable.az", link)
    subprocess.run([binary, "--fix", link], capture_output=True, timeout=20)
    with open(script, "rb") as f:
        through = f.read()
    if not os.path.islink(link) or through != b"print(1);\n":
        problems.append(f"--fix through a link: link kept {os.path.islink(link)}, {through!r}")
    os.unlink(link)
    for problem in problems:
        print(f"FAIL {problem}")
    return 1 if problems else 0


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
        (["--list-codes"], b"", {}, 0, b"unknown-character            error    ", b""),
        (["--list-keywords"], b"", {}, 0, b"print\nvar\nif\nwhile\n", b""),
        (["--fix", "-"], CLEAN, {}, 2, b"", b"standard input cannot be fixed"),
        (["--diff", "--format=json", clean], b"", {}, 2, b"", b"--fix and --diff write text"),
        (["--diff", clean], b"", {}, 0, b"", b""),
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
    failures += check_fix(binary, work)
    print(f"{len(cases) + 1 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
