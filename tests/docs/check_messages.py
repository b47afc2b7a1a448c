#!/usr/bin/env python3
"""Checks that every error message the interpreter can raise is documented.

    check_messages.py AZUVEL_CHECK GUIDE MAN_PAGE

The messages are what `AZUVEL_CHECK --list-messages` prints, one a line: the interpreter's own
table. Each must have a row in the guide's error table (a line starting with "| `MESSAGE")
and an entry in the man page. A conversion such as %s stands for any text, so only the part
before it is compared.
"""

import re
import subprocess
import sys

ROFF_ESCAPES = [(r"\(aq", "'"), (r"\(dq", '"'), (r"\-", "-"), (r"\e", "\\"), (r"\&", "")]
FONT = re.compile(r"\\f[BIRP]")


def messages_of(checker):
    listed = subprocess.run([checker, "--list-messages"], capture_output=True, check=True,
                            text=True).stdout.splitlines()
    return sorted({message.split("%", 1)[0] for message in listed})


def man_text(path):
    """The man page's words: macro names dropped, escapes and fonts resolved."""
    lines = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("."):
                line = line.split(" ", 1)[1] if " " in line else ""
            lines.append(line.rstrip("\n"))
    text = "\n".join(lines)
    for escape, plain in ROFF_ESCAPES:
        text = text.replace(escape, plain)
    return FONT.sub("", text)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    checker, guide, man_page = sys.argv[1:]
    messages = messages_of(checker)
    if len(messages) < 10:
        print(f"FAIL: only {len(messages)} messages listed by {checker}")
        return 1
    with open(guide, encoding="utf-8") as f:
        table_rows = [line for line in f if line.startswith("| `")]
    man = man_text(man_page)
    failures = 0
    for message in messages:
        if not any(row.startswith("| `" + message) for row in table_rows):
            print(f"FAIL: {guide} has no error-table row for \"{message}\"")
            failures += 1
        # The man page puts each message on a line of its own, after .B or .BI.
        if not re.search(r'(?m)^"?' + re.escape(message.rstrip()), man):
            print(f"FAIL: {man_page} does not list \"{message}\"")
            failures += 1
    print(f"{len(messages)} messages checked, {failures} missing")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
