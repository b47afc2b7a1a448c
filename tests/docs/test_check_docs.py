#!/usr/bin/env python3
"""Checks that check_docs.py passes correct examples and catches each kind of wrong one.

The interpreter is replaced by a stand-in that runs its script with sh, so each case can
make it write exactly the output, error and exit status the case needs.
"""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(HERE, "check_docs.py")
FENCE = "```"


def fenced(kind, body):
    return f"{FENCE}{kind}\n{body}{FENCE}\n"


OK_SCRIPT = fenced("az", "printf 'one\\n'\n") + "\n" + fenced("output", "one\n")
ERROR_SCRIPT = (fenced("az", "printf 'a'\necho '[Error] Boom' >&2\nexit 1\n") + "\n" +
                fenced("output-raw", "a\n") + "\n" + fenced("error", "[Error] Boom\n"))

# (name, guide text, whether the checker must accept it)
GUIDE_CASES = [
    ("matching output", OK_SCRIPT, True),
    ("matching output, error and status", ERROR_SCRIPT, True),
    ("named script used by a console block",
     fenced("az x.az", "printf 'hi\\n'\n") + fenced("output", "hi\n") +
     fenced("console", "$ azuvel x.az\nhi\n$ cat x.az\nprintf 'hi\\n'\n"), True),
    ("console runs the checker as azuvel-check",
     fenced("az x.az", "printf 'hi\\n'\n") + fenced("output", "hi\n") +
     fenced("console", "$ azuvel-check x.az\nhi\n"), True),
    ("empty raw output", fenced("az", "true\n") + fenced("output-raw", ""), True),
    ("wrong stdout", fenced("az", "printf 'two\\n'\n") + fenced("output", "one\n"), False),
    ("missing final newline", fenced("az", "printf 'one'\n") + fenced("output", "one\n"), False),
    ("extra final newline", fenced("az", "printf 'one\\n'\n") + fenced("output-raw", "one\n"),
     False),
    ("unexpected stderr", fenced("az", "echo x; echo oops >&2\n") + fenced("output", "x\n"), False),
    ("error expected, status 0",
     fenced("az", "echo '[Error] Boom' >&2\n") + fenced("error", "[Error] Boom\n"), False),
    ("status 1 not announced", fenced("az", "echo x; exit 1\n") + fenced("output", "x\n"), False),
    ("wrong error text",
     fenced("az", "echo '[Error] Bang' >&2; exit 1\n") + fenced("error", "[Error] Boom\n"), False),
    ("script without result block", fenced("az", "echo x\n") + "Some prose.\n", False),
    ("result block after prose",
     fenced("az", "echo x\n") + "Prose.\n" + fenced("output", "x\n"), False),
    ("result block without script", fenced("output", "x\n"), False),
    ("two output blocks",
     fenced("az", "echo x\n") + fenced("output", "x\n") + fenced("output", "x\n"), False),
    ("console mismatch", OK_SCRIPT + fenced("console", "$ echo hello\nhullo\n"), False),
    ("console error line counted", OK_SCRIPT + fenced("console", "$ echo e >&2\n"), False),
    ("unclosed fence", OK_SCRIPT + FENCE + "az\necho x\n", False),
    ("no scripts at all", "Only prose.\n", False),
]

# (name, {file name: contents}, whether the checker must accept it)
EXAMPLE_CASES = [
    ("matching", {"a.az": "printf 'x\\n'\n", "a.out": "x\n"}, True),
    ("wrong output", {"a.az": "printf 'y\\n'\n", "a.out": "x\n"}, False),
    ("missing .out", {"a.az": "printf 'x\\n'\n"}, False),
    ("stray .out", {"a.az": "printf 'x\\n'\n", "a.out": "x\n", "b.out": ""}, False),
    ("failing status", {"a.az": "printf 'x\\n'; exit 1\n", "a.out": "x\n"}, False),
    ("stderr written", {"a.az": "printf 'x\\n'; echo e >&2\n", "a.out": "x\n"}, False),
]


def make_stand_in(directory):
    path = os.path.join(directory, "stand-in")
    with open(path, "w") as f:
        f.write('#!/bin/sh\nexec sh "$1"\n')
    os.chmod(path, 0o755)
    return path


def checker_accepts(args):
    result = subprocess.run([sys.executable, CHECKER] + args, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=60)
    return result.returncode == 0, result.stdout.decode()


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        stand_in = make_stand_in(work)
        os.mkdir(os.path.join(work, "examples"))
        for name, text, accept in GUIDE_CASES:
            guide = os.path.join(work, "guide.md")
            with open(guide, "w") as f:
                f.write(text)
            accepted, output = checker_accepts(
                [stand_in, "--guide", guide, "--examples-dir", os.path.join(work, "examples"),
                 "--checker", stand_in])
            if accepted != accept:
                failures += 1
                print(f"FAIL guide case '{name}': accepted={accepted}\n{output}")
        for name, files, accept in EXAMPLE_CASES:
            directory = tempfile.mkdtemp(dir=work)
            for file_name, contents in files.items():
                with open(os.path.join(directory, file_name), "w") as f:
                    f.write(contents)
            accepted, output = checker_accepts([stand_in, "--examples", directory])
            if accepted != accept:
                failures += 1
                print(f"FAIL examples case '{name}': accepted={accepted}\n{output}")
    total = len(GUIDE_CASES) + len(EXAMPLE_CASES)
    print(f"{total - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
