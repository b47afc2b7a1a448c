#!/usr/bin/env python3
"""Runs `:compiler azuvel` and `:make` in a headless Vim and compares the quickfix list with
what azuvel-check reports as JSON for the same file.

    check_vim_compiler.py AZUVEL_CHECK SOURCE_ROOT

Every diagnostic must become one entry with its file, line, column, type (E or W) and a text
that starts with its message and holds its help lines; every note an entry of type N at the
place it points to; nothing else may be listed. The sample holds an error, a note, a warning
and help lines, and its name a space, so each part of the compiler file is exercised.
"""

import json
import os
import subprocess
import sys
import tempfile

SAMPLE = """var total = 0;
var i = 0;
while (i < 3) {
    var step = 2;
    total = total + step
    i = i + 1;
}
if (total > 1) {
    print(total);
"""
SAMPLE_NAME = "my script.az"


def expected_entries(checker, work):
    result = subprocess.run([checker, "--format=json", SAMPLE_NAME], cwd=work,
                            capture_output=True, timeout=60)
    entries = []
    for diagnostic in json.loads(result.stdout):
        helps = [note["message"] for note in diagnostic["notes"] if note["kind"] == "help"]
        text = " ".join([f"{diagnostic['message']} [{diagnostic['code']}]"] +
                        [f"help: {message}" for message in helps])
        entries.append((SAMPLE_NAME, diagnostic["line"], diagnostic["column"],
                        "E" if diagnostic["severity"] == "error" else "W", text))
        for note in diagnostic["notes"]:
            if note["kind"] == "note":
                entries.append((SAMPLE_NAME, note["line"], note["column"], "N", note["message"]))
    return entries


def quickfix_entries(checker, root, work):
    report = os.path.join(work, "quickfix")
    # Joined with "|" one field to a line; a message holding a newline is joined by a space,
    # as the quickfix window shows it.
    probe = os.path.join(work, "probe.vim")
    escaped_name = SAMPLE_NAME.replace(" ", "\\ ")
    with open(probe, "w", encoding="utf-8") as f:
        f.write("\n".join([
            f"set runtimepath^={os.path.join(os.path.abspath(root), 'editors', 'vim')}",
            "filetype plugin on",
            f"edit {escaped_name}",
            "compiler azuvel",
            "silent make",
            "call writefile(map(getqflist(), {_, e -> join([bufname(e.bufnr), e.lnum, e.col, "
            "e.type, e.valid, substitute(e.text, '\\n', ' ', 'g')], '|')}), "
            f"'{report}')",
            "qa!",
        ]) + "\n")
    env = dict(os.environ, PATH=os.path.dirname(os.path.abspath(checker)) + os.pathsep +
               os.environ.get("PATH", ""))
    subprocess.run(["vim", "-N", "-u", "NONE", "-i", "NONE", "-n", "-es", "-S", probe],
                   cwd=work, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    if not os.path.exists(report):
        return None
    entries = []
    with open(report, encoding="utf-8") as f:
        for line in f.read().splitlines():
            name, lnum, col, kind, valid, text = line.split("|", 5)
            if valid != "1":
                kind = "not valid: " + kind
            entries.append((name, int(lnum), int(col), kind, text))
    return entries


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    checker, root = os.path.abspath(sys.argv[1]), sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, SAMPLE_NAME), "w", encoding="utf-8") as f:
            f.write(SAMPLE)
        expected = expected_entries(checker, work)
        got = quickfix_entries(checker, root, work)
    problems = []
    kinds = {entry[3] for entry in expected}
    if not {"E", "W", "N"} <= kinds or not any("help: " in entry[4] for entry in expected):
        problems.append(f"the sample no longer gives an error, a warning, a note and a help "
                        f"line: {expected}")
    if got is None:
        problems.append("vim did not write the quickfix list")
    elif got != expected:
        problems.append("quickfix list differs from the checker's diagnostics:\n  got      " +
                        "\n           ".join(map(str, got)) + "\n  expected " +
                        "\n           ".join(map(str, expected)))
    for problem in problems:
        print(f"FAIL {problem}")
    print(f"{len(expected)} quickfix entries expected, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
