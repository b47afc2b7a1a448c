#!/usr/bin/env python3
"""The certain fixes over generated mistakes: a habit of another language put into a correct
generated script, then `azuvel-check --fix`. The fixed script prints exactly what the correct one
printed, or the checker still flags it; it never runs cleanly and prints something else.

  fix_property.py AZUVEL_CHECK AZUVEL [COUNT [SEED]]    COUNT scripts, 300 by default

A failure shows the correct script, the one with the habit, and what the fix made of it.
"""
import os
import random
import re
import subprocess
import sys
import tempfile

NAMES = ["count", "total", "step", "limit"]


def expression(rng, depth=0):
    """A small arithmetic expression over the declared names and whole numbers."""
    if depth > 1 or rng.random() < 0.4:
        return rng.choice(NAMES + [str(rng.randint(0, 9))])
    op = rng.choice(["+", "-", "*"])
    return f"{expression(rng, depth + 1)} {op} {expression(rng, depth + 1)}"


def statement(rng, indent, loops):
    """One statement at `indent`; loops count down a fresh counter so that every run ends."""
    pad = "    " * indent
    kind = rng.randrange(6 if indent < 2 else 4)
    name = rng.choice(NAMES)
    if kind == 0:
        return f"{pad}{name} = {name} + {rng.choice([str(rng.randint(1, 5)), expression(rng)])};\n"
    if kind == 1:
        return f"{pad}{name} = {name} - {rng.randint(1, 5)};\n"
    if kind == 2:
        items = ", ".join(rng.sample(NAMES, rng.randint(1, 3)))
        return f"{pad}print({items});\n"
    if kind == 3:
        return f"{pad}{name} = {expression(rng)};\n"
    if kind == 4:
        op = rng.choice(["==", "!=", "<", ">"])
        body = "".join(statement(rng, indent + 1, loops) for _ in range(rng.randint(1, 2)))
        return f"{pad}if ({name} {op} {expression(rng)}) {{\n{body}{pad}}}\n"
    counter = f"k{len(loops)}"
    loops.append(counter)
    body = "".join(statement(rng, indent + 1, loops) for _ in range(rng.randint(1, 3)))
    return (f"{pad}{counter} = {rng.randint(1, 4)};\n{pad}while ({counter} > 0) {{\n{body}"
            f"{pad}    {counter} = {counter} - 1;\n{pad}}}\n")


def script(rng):
    """A correct script: the names declared, then statements; loop counters declared first."""
    loops = []
    body = "".join(statement(rng, 0, loops) for _ in range(rng.randint(3, 7)))
    declarations = "".join(f"var {name} = {rng.randint(0, 9)};\n" for name in NAMES)
    declarations += "".join(f"var {counter} = 0;\n" for counter in loops)
    return declarations + body


# Habits, each a rewrite of one match in a correct script: (pattern, replacement).
HABITS = [
    (r"(\w+) = \1 \+ (\w+);", r"\1 += \2;"),
    (r"(\w+) = \1 - (\w+);", r"\1 -= \2;"),
    (r"(\w+) = \1 \+ 1;", r"\1++;"),
    (r"(\w+) = \1 - 1;", r"\1--;"),
    (r" == ", r" === "),
    (r" != ", r" !== "),
    (r" != ", r" ~= "),
    (r"\);\n", r",);\n"),
    (r";\n", r"\n"),
    (r"\) \{\n", r"); {\n"),
    (r";\n", r";;\n"),
    (r"if \((\w+) < ", r"if (\1 <= "),
]


def with_habit(rng, text):
    """The script with one habit put in at one of its places, or None when none fits."""
    order = list(range(len(HABITS)))
    rng.shuffle(order)
    for index in order:
        pattern, replacement = HABITS[index]
        found = list(re.finditer(pattern, text))
        if not found:
            continue
        match = rng.choice(found)
        return text[:match.start()] + match.expand(replacement) + text[match.end():]
    return None


def run(binary, path):
    """Status, output and errors of a run; a run that does not end in 5 seconds is status -1."""
    try:
        result = subprocess.run([binary, path], capture_output=True, timeout=5)
    except subprocess.TimeoutExpired as stopped:
        return -1, stopped.stdout or b"", b"no end in 5 seconds"
    return result.returncode, result.stdout, result.stderr


def main():
    check, azuvel = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 30)
    same = flagged = failures = changed = 0
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "script.az")
        for _ in range(count):
            correct = script(rng)
            with open(path, "w") as f:
                f.write(correct)
            status, meant, error = run(azuvel, path)
            if status != 0:
                raise SystemExit(f"a generated script does not run: {error!r}\n{correct}")
            broken = with_habit(rng, correct)
            with open(path, "w") as f:
                f.write(broken)
            subprocess.run([check, "--fix", path], capture_output=True)
            with open(path) as f:
                fixed = f.read()
            changed += fixed != broken
            if subprocess.run([check, path], capture_output=True).returncode != 0:
                flagged += 1
                continue
            status, printed, error = run(azuvel, path)
            if status == 0 and printed == meant:
                same += 1
                continue
            failures += 1
            print(f"FAIL: the fixed script runs (status {status}) and prints {printed!r}, "
                  f"not {meant!r}\n--- correct\n{correct}--- with the habit\n{broken}"
                  f"--- fixed\n{fixed}---")
    print(f"{count} scripts with a habit put in, {changed} changed by --fix: {same} print what "
          f"was meant, {flagged} still flagged, {failures} run and print something else")
    return 1 if failures or same == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
