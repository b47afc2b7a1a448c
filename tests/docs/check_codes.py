#!/usr/bin/env python3
"""Checks that the guide's table of azuvel-check's diagnostic codes is the checker's list.

    check_codes.py CHECK_CPP GUIDE

The list is the comment block at the top of CHECK_CPP: after a line "Errors..." or
"Warnings...", each line "//   CODE   meaning" (two spaces or more after the code) names
one code. The guide's table has a row
"| `CODE` | error |" or "| `CODE` | warning |" for each, and no other.
"""

import re
import sys

LIST_LINE = re.compile(r"^//\s{1,4}([a-z][a-z0-9]*(?:-[a-z0-9]+)*)\s{2,}\S")
GUIDE_ROW = re.compile(r"^\| `([a-z][a-z0-9-]*)` \| (error|warning) \|")


def checker_codes(path):
    codes, severity = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.startswith("//"):
                break
            heading = line[2:].strip().lower()
            if heading.startswith("errors"):
                severity = "error"
            elif heading.startswith("warnings"):
                severity = "warning"
            elif severity and (found := LIST_LINE.match(line)):
                codes[found.group(1)] = severity
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
    if len(listed) < 5:
        problems.append(f"the code list at the top of {sys.argv[1]} looks wrong: {listed}")
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
