#!/usr/bin/env python3
"""Runs the examples of the language guide and of examples/ against an azuvel binary.

    check_docs.py BINARY --guide docs/language.md [--examples-dir examples] [--checker CHECK]
                  [--formatter FMT]
    check_docs.py BINARY --examples examples

Guide format. A fenced block ```az (optionally ```az NAME.az) holds a script. It must be
followed, with only blank lines between, by one or more of these blocks:
    ```output      expected standard output; every line ends with a newline
    ```output-raw  the same, but the last line has no newline (an empty block: no output)
    ```error       expected standard error; the exit status must then be 1, else 0
Standard error must be empty when no error block is given. A script with a NAME is also
saved under that name in the scratch directory used by console blocks.

A ```console block holds shell commands on lines starting with "$ ", each followed by the
lines it shows (standard output and standard error together). The commands run in bash in
a scratch directory that holds a copy of examples/, with `azuvel` on the PATH, and
`azuvel-check` too when --checker names it, and `azuvel-fmt` when --formatter does.

Examples. Every NAME.az in the directory must have NAME.out, its exact standard output;
it must run with empty standard error and exit status 0.

Exits 1 with a diff for every mismatch, 0 when all match.
"""

import argparse
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile

TIMEOUT_SECONDS = 20
FENCE = re.compile(r"^```(.*)$")
RESULT_KINDS = ("output", "output-raw", "error")


class Block:
    def __init__(self, info, lines, line):
        self.info = info  # the words after the opening fence
        self.lines = lines
        self.line = line  # line number of the opening fence
        self.follows_previous = False  # only blank lines since the previous block

    @property
    def kind(self):
        return self.info[0] if self.info else ""


def parse_blocks(text):
    """Returns the fenced blocks of a Markdown text, in order."""
    blocks = []
    lines = text.split("\n")
    i = 0
    gap_is_blank = False
    while i < len(lines):
        fence = FENCE.match(lines[i])
        if not fence:
            if lines[i].strip():
                gap_is_blank = False
            i += 1
            continue
        start = i
        i += 1
        body = []
        while i < len(lines) and lines[i] != "```":
            body.append(lines[i])
            i += 1
        if i == len(lines):
            raise ValueError(f"line {start + 1}: code block is never closed")
        block = Block(fence.group(1).split(), body, start + 1)
        block.follows_previous = gap_is_blank
        blocks.append(block)
        gap_is_blank = True
        i += 1
    return blocks


def text_of(block):
    """The exact text a result block stands for."""
    if not block.lines:
        return ""
    joined = "\n".join(block.lines)
    return joined if block.kind == "output-raw" else joined + "\n"


class Case:
    """One script of the guide with what it must write and its exit status."""

    def __init__(self, script, line, name=None):
        self.script = script
        self.line = line
        self.name = name
        self.stdout = None
        self.stderr = ""
        self.status = 0


def parse_guide(text):
    """Splits the guide into script cases and console blocks; raises ValueError if malformed."""
    items = []
    blocks = parse_blocks(text)
    i = 0
    while i < len(blocks):
        block = blocks[i]
        if block.kind in RESULT_KINDS:
            raise ValueError(f"line {block.line}: ```{block.kind} block without a script before it")
        if block.kind == "console":
            items.append(block)
            i += 1
            continue
        if block.kind != "az":
            i += 1
            continue
        name = block.info[1] if len(block.info) > 1 else None
        case = Case("\n".join(block.lines) + "\n", block.line, name)
        i += 1
        shown = 0
        while i < len(blocks) and blocks[i].kind in RESULT_KINDS and blocks[i].follows_previous:
            result = blocks[i]
            if result.kind == "error" and case.status == 1 or \
                    result.kind != "error" and case.stdout is not None:
                raise ValueError(f"line {result.line}: a second {result.kind} block for one script")
            if result.kind == "error":
                case.stderr = text_of(result)
                case.status = 1
            else:
                case.stdout = text_of(result)
            shown += 1
            i += 1
        if not shown:
            raise ValueError(f"line {block.line}: script shows no output or error block after it")
        if case.stdout is None:
            case.stdout = ""
        items.append(case)
    return items


def parse_console(block):
    """Returns (command, expected text) pairs of a console block."""
    steps = []
    for line in block.lines:
        if line.startswith("$ "):
            steps.append([line[2:], []])
        elif not steps:
            raise ValueError(f"line {block.line}: console block must start with a '$ ' line")
        else:
            steps[-1][1].append(line)
    return [(command, "".join(out + "\n" for out in shown)) for command, shown in steps]


def show(text):
    """Lines with their line ends made visible, for a diff."""
    return [repr(line) + "\n" for line in text.splitlines(keepends=True)] or ["(nothing)\n"]


def report(where, what, expected, actual):
    diff = difflib.unified_diff(show(expected), show(actual), "expected", "actual")
    sys.stdout.write(f"FAIL {where}: {what} differs\n" + "".join(diff) + "\n")


def run(command, cwd, env=None, shell=False, stderr=subprocess.PIPE):
    try:
        return subprocess.run(command, cwd=cwd, env=env, shell=shell, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=stderr, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        return None


def decode(data):
    return data.decode("utf-8", errors="backslashreplace")


def check_case(binary, case, scratch, where):
    """Runs one script; returns the number of failures."""
    path = os.path.join(scratch, case.name or f"guide_line_{case.line}.az")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(case.script)
    result = run([binary, path], cwd=scratch)
    if result is None:
        print(f"FAIL {where}: timed out after {TIMEOUT_SECONDS} s")
        return 1
    failures = 0
    for what, expected, actual in (("stdout", case.stdout, decode(result.stdout)),
                                   ("stderr", case.stderr, decode(result.stderr))):
        if expected != actual:
            report(where, what, expected, actual)
            failures += 1
    if result.returncode != case.status:
        print(f"FAIL {where}: exit status {result.returncode}, expected {case.status}")
        failures += 1
    return failures


def check_console(block, scratch, env, guide):
    failures = 0
    for command, expected in parse_console(block):
        where = f"{guide}:{block.line} `$ {command}`"
        result = run(["bash", "-c", command], cwd=scratch, env=env, stderr=subprocess.STDOUT)
        if result is None:
            print(f"FAIL {where}: timed out after {TIMEOUT_SECONDS} s")
            failures += 1
        elif decode(result.stdout) != expected:
            report(where, "terminal output", expected, decode(result.stdout))
            failures += 1
    return failures


def check_guide(binary, guide, examples_dir, checker=None, formatter=None):
    with open(guide, encoding="utf-8") as f:
        items = parse_guide(f.read())
    scripts = sum(isinstance(item, Case) for item in items)
    consoles = len(items) - scripts
    if scripts == 0:
        print(f"FAIL {guide}: no ```az examples found")
        return 1
    failures = 0
    with tempfile.TemporaryDirectory(prefix="azuvel-guide-") as scratch:
        bin_dir = os.path.join(scratch, ".bin")
        os.mkdir(bin_dir)
        os.symlink(binary, os.path.join(bin_dir, "azuvel"))
        if checker:
            os.symlink(checker, os.path.join(bin_dir, "azuvel-check"))
        if formatter:
            os.symlink(formatter, os.path.join(bin_dir, "azuvel-fmt"))
        shutil.copytree(examples_dir, os.path.join(scratch, "examples"))
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""), LC_ALL="C")
        for item in items:
            if isinstance(item, Case):
                failures += check_case(binary, item, scratch, f"{guide}:{item.line}")
            else:
                failures += check_console(item, scratch, env, guide)
    print(f"{guide}: {scripts} scripts, {consoles} console blocks, {failures} failures")
    return failures


def check_examples(binary, directory):
    names = sorted(os.listdir(directory))
    scripts = [n for n in names if n.endswith(".az")]
    failures = 0
    for name in names:
        if name.endswith(".out") and name[:-4] + ".az" not in names:
            print(f"FAIL {directory}/{name}: no script {name[:-4]}.az for it")
            failures += 1
    if not scripts:
        print(f"FAIL {directory}: no .az scripts found")
        return 1
    for name in scripts:
        where = f"{directory}/{name}"
        expected_path = os.path.join(directory, name[:-3] + ".out")
        if not os.path.exists(expected_path):
            print(f"FAIL {where}: no expected output {name[:-3]}.out")
            failures += 1
            continue
        with open(expected_path, encoding="utf-8", newline="") as f:
            case = Case(None, 0, name)
            case.stdout = f.read()
        result = run([binary, os.path.abspath(os.path.join(directory, name))], cwd=directory)
        if result is None:
            print(f"FAIL {where}: timed out after {TIMEOUT_SECONDS} s")
            failures += 1
            continue
        for what, expected, actual in (("stdout", case.stdout, decode(result.stdout)),
                                       ("stderr", "", decode(result.stderr))):
            if expected != actual:
                report(where, what, expected, actual)
                failures += 1
        if result.returncode != 0:
            print(f"FAIL {where}: exit status {result.returncode}, expected 0")
            failures += 1
    print(f"{directory}: {len(scripts)} scripts, {failures} failures")
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("binary", help="the azuvel executable to run")
    parser.add_argument("--guide", help="Markdown guide whose examples are run")
    parser.add_argument("--examples-dir", help="examples copied beside the guide's console "
                        "commands (default: ../examples from the guide)")
    parser.add_argument("--examples", help="directory of NAME.az scripts with NAME.out")
    parser.add_argument("--checker", help="the azuvel-check executable for console blocks")
    parser.add_argument("--formatter", help="the azuvel-fmt executable for console blocks")
    args = parser.parse_args()
    if not args.guide and not args.examples:
        parser.error("give --guide, --examples or both")
    binary = os.path.abspath(args.binary)
    if not os.access(binary, os.X_OK):
        parser.error(f"not an executable: {binary}")
    failures = 0
    try:
        if args.guide:
            examples_dir = args.examples_dir or os.path.join(
                os.path.dirname(os.path.abspath(args.guide)), "..", "examples")
            checker = os.path.abspath(args.checker) if args.checker else None
            formatter = os.path.abspath(args.formatter) if args.formatter else None
            failures += check_guide(binary, args.guide, examples_dir, checker, formatter)
        if args.examples:
            failures += check_examples(binary, args.examples)
    except ValueError as problem:
        print(f"FAIL {args.guide}: {problem}")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
