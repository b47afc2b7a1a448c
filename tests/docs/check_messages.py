#!/usr/bin/env python3
"""Checks that every error message the interpreter can raise is documented.

    check_messages.py SRC_DIR GUIDE MAN_PAGE

Messages are the string literals passed to error(...) and consume(..., "...") in
SRC_DIR/*.cpp. Each must have a row in the guide's error table (a line starting with
"| `MESSAGE") and an entry in the man page. A conversion such as %s stands for any text,
so only the part before it is compared.
"""

import glob
import os
import re
import sys

CALL = re.compile(r'\b(?:error\s*\(\s*|consume\s*\(\s*\w+\s*,\s*)"((?:[^"\\]|\\.)*)"')
ROFF_ESCAPES = [(r"\(aq", "'"), (r"\(dq", '"'), (r"\-", "-"), (r"\e", "\\"), (r"\&", "")]
FONT = re.compile(r"\\f[BIRP]")


def product_code(text):
    """The text without the parts only the fuzz build compiles (#ifdef AZUVEL_FUZZ ... #else)."""
    kept = []
    depth = 0  # > 0 while inside a skipped #ifdef AZUVEL_FUZZ branch
    for line in text.split("\n"):
        directive = line.strip()
        if depth:
            if directive.startswith("#if"):
                depth += 1
            elif directive.startswith("#endif") or (depth == 1 and directive.startswith("#else")):
                depth -= 1
            continue
        if re.match(r"#\s*ifdef\s+AZUVEL_FUZZ\b", directive):
            depth = 1
            continue
        kept.append(line)
    return "\n".join(kept)


def messages_in(src_dir):
    found = set()
    for path in sorted(glob.glob(os.path.join(src_dir, "*.cpp"))):
        with open(path, encoding="utf-8") as f:
            for literal in CALL.findall(product_code(f.read())):
                fixed = literal.split("%", 1)[0]
                if fixed:  # error("%s", message) forwards a message found elsewhere
                    found.add(fixed)
    return sorted(found)


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
    src_dir, guide, man_page = sys.argv[1:]
    messages = messages_in(src_dir)
    if len(messages) < 10:
        print(f"FAIL: only {len(messages)} messages found in {src_dir}; has the code changed shape?")
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
