#!/usr/bin/env python3
"""Checks that the guide's table of azuvel-check's diagnostic codes is the checker's table.

    check_codes.py AZUVEL_CHECK GUIDE

The checker's table is what `AZUVEL_CHECK --list-codes` prints: one line per code,
"CODE SEVERITY DESCRIPTION". The guide's table has a row "| `CODE` | error |" or
"| `CODE` | warning |" for each, and no other.
"""

import re
import subprocess
import sys

GUIDE_ROW = re.compile(r"^\| `([a-z][a-z0-9-]*)` \| (error|warning) \|")


def checker_codes(binary):
    out = subprocess.run([binary, "--list-codes"], capture_output=True, check=True, text=True)
    codes = {}
    for line in out.stdout.splitlines():
        code, severity, _ = line.split(None, 2)
        codes[code] = severity
    return codes


def guide_codes(path):
    codes = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if found := GUIDE_ROW.match(line):
                codes[found.group(1)] = found.group(2)
    return codes


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    listed, documented = checker_codes(sys.argv[1]), guide_codes(sys.argv[2])
    problems = []
    if len(listed) < 5 or set(listed.values()) != {"error", "warning"}:
        problems.append(f"azuvel-check --list-codes looks wrong: {listed}")
    for code, severity in sorted(listed.items()):
        if code not in documented:
            problems.append(f"{code} ({severity}) has no row in the guide's table")
        elif documented[code] != severity:
            problems.append(f"{code} is an {severity} but the guide says {documented[code]}")
    for code in sorted(set(documented) - set(listed)):
        problems.append(f"the guide lists {code}, which the checker does not have")
    for problem in problems:
        print(f"FAIL {problem}")
    print(f"{len(listed)} codes, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
