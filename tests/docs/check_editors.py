#!/usr/bin/env python3
"""Checks the editor support files against the lexer.

    check_editors.py SOURCE_ROOT AZUVEL_CHECK

- The keyword lists of the Vim syntax file and of the TextMate grammar each hold exactly
  the words of the lexer's keyword table, as `AZUVEL_CHECK --list-keywords` prints it, each
  once.
- The TextMate grammar is valid JSON with scope source.azuvel and file type az, and its
  rules pick out numbers, keywords and strings the way the lexer does.
- Operators and words that no script can run are marked invalid in both grammars.
- When vim is installed, the Vim syntax file is loaded in a headless vim and the highlight
  group at chosen places of a sample script is compared with what it must be.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

def lexer_keywords(binary):
    out = subprocess.run([binary, "--list-keywords"], capture_output=True, check=True, text=True)
    return out.stdout.split()


def vim_keywords(path):
    words = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            # `syn keyword GROUP [contained] word...`; contained groups (TODO marks) only
            # appear inside comments and are not language keywords.
            if len(parts) > 2 and parts[0] in ("syn", "syntax") and parts[1] == "keyword":
                if "contained" not in parts[3:]:
                    words += parts[3:]
    return words


def textmate_keywords(grammar):
    words = []
    for rule in grammar["repository"]["keywords"]["patterns"]:
        found = re.fullmatch(r"\\b\(\?:([\w|]+)\)\\b", rule["match"])
        if not found:
            raise SystemExit(f"FAIL: keyword rule of unexpected shape: {rule['match']}")
        words += found.group(1).split("|")
    return words


def compare(what, words, expected):
    problems = []
    if sorted(set(words)) != sorted(expected):
        problems.append(f"FAIL: {what} has {sorted(set(words))}, the lexer has {sorted(expected)}")
    duplicates = sorted({w for w in words if words.count(w) > 1})
    if duplicates:
        problems.append(f"FAIL: {what} lists {duplicates} more than once")
    return problems


# (rule, text, the part of the text the rule's first match must cover at position 0, or None)
TEXTMATE_CASES = [
    ("number", "12;", "12"),
    ("number", "1.2.3+", "1.2.3"),
    ("number", ".5)", ".5"),
    ("number", "5.;", "5."),
    ("number", "9abc", "9"),
    ("number", ".x", None),
    ("identifier", "x9 = 1", "x9"),
    ("identifier", "_a1b", "_a1b"),
    ("comment", "# note", "# note"),
    ("nel", '"nel"', '"nel"'),
    ("nel", '"nel "', None),
    ("directive", "#sg<nel> rest", "#sg<nel> rest"),
    ("directive", "  # sg<x nel>", "  # sg<x nel>"),
    ("directive", "print(1); #sg<nel>", None),
]
# (text, whether a keyword rule matches all of it)
TEXTMATE_KEYWORD_CASES = [("print", True), ("while", True), ("return", True),
                          ("printx", False), ("Print", False), ("nel", False)]
# (text, the scope of the first operator rule matching at its start, the text it covers)
TEXTMATE_OPERATOR_CASES = [
    ("<= 1", "invalid.illegal", "<="), (">=", "invalid.illegal", ">="),
    ("&& b", "invalid.illegal", "&&"), ("||", "invalid.illegal", "||"),
    ("!x", "invalid.illegal", "!"), ("+= 1", "invalid.illegal", "+="),
    ("++;", "invalid.illegal", "++"), ("% 2", "invalid.illegal", "%"),
    ("!= 1", "keyword.operator.comparison", "!="), ("< 1", "keyword.operator.comparison", "<"),
    ("== 1", "keyword.operator.comparison", "=="), ("+ 1", "keyword.operator.arithmetic", "+"),
    ("= 1", "keyword.operator.assignment", "="),
]
# (string contents after the opening quote, what the string rule's escape and end leave)
TEXTMATE_STRING_CASES = [('abc" x', "abc"), ('a\\"b" x', 'a\\"b'), ('a\\\\"b" x', 'a\\\\"b'),
                         ('a\\b" x', "a\\b")]


def python_regex(oniguruma):
    """These rules use only syntax Python shares with Oniguruma, except \\A as written."""
    return re.compile(oniguruma)


def check_textmate_rules(grammar):
    problems = []
    repository = grammar["repository"]
    for rule, text, expected in TEXTMATE_CASES:
        found = python_regex(repository[rule]["match"]).match(text)
        got = found.group(0) if found else None
        if got != expected:
            problems.append(f"FAIL: TextMate rule {rule} on {text!r}: {got!r}, expected {expected!r}")
    keyword_rules = [python_regex(r["match"]) for r in repository["keywords"]["patterns"]]
    for text, expected in TEXTMATE_KEYWORD_CASES:
        got = any(rule.fullmatch(text) for rule in keyword_rules)
        if got != expected:
            problems.append(f"FAIL: TextMate keywords on {text!r}: {got}, expected {expected}")
    for text, scope, expected in TEXTMATE_OPERATOR_CASES:
        got = next(((r["name"], m.group(0)) for r in repository["operator"]["patterns"]
                    if (m := python_regex(r["match"]).match(text))), (None, None))
        if got[0] is None or not got[0].startswith(scope + ".") or got[1] != expected:
            problems.append(f"FAIL: TextMate operator on {text!r}: {got}, expected {scope} "
                            f"covering {expected!r}")
    reserved = [r["name"] for r in repository["keywords"]["patterns"]
                if python_regex(r["match"]).fullmatch("function")]
    if not reserved or not reserved[0].startswith("invalid.illegal."):
        problems.append(f"FAIL: TextMate scope of function: {reserved}, expected invalid.illegal")
    string = repository["string"]
    escape = python_regex(string["patterns"][0]["match"])
    end = python_regex(string["end"])
    for text, expected in TEXTMATE_STRING_CASES:
        # Walk as a TextMate engine does: at each position the escape is tried before the end.
        pos = 0
        while pos < len(text):
            step = escape.match(text, pos)
            if step:
                pos = step.end()
            elif end.match(text, pos):
                break
            else:
                pos += 1
        if text[:pos] != expected:
            problems.append(f"FAIL: TextMate string on {text!r}: {text[:pos]!r}, expected {expected!r}")
    return problems


VIM_SAMPLE = [
    "#sg<nel> options",                 # 1
    'var s = "a\\\\"b # not a comment";',  # 2: the string runs to the last quote
    "if (x == 1.50) { print(s, \"nel\"); }",  # 3
    "while (count < .5) { y = y - 2; }  # end",  # 4
    "Print(printx, function, return9);",  # 5
    "sg<nel>",                          # 6: not the first line, not a directive
    "a <= b >= c && d || !e != f += 1; x++; y % 2;",  # 7: habits from other languages
]
# (line, column starting at 1, syntax group without its "azuvel" prefix, or "" for none)
VIM_CASES = [
    (1, 1, "Comment"), (1, 2, "Directive"), (1, 8, "Directive"), (1, 10, "Comment"),
    (2, 1, "Statement"), (2, 5, ""), (2, 7, "Operator"), (2, 9, "String"), (2, 11, "String"),
    (2, 12, "Escape"), (2, 16, "String"), (2, 31, "String"), (2, 32, "Delimiter"),
    (3, 1, "Conditional"), (3, 4, "Delimiter"), (3, 7, "Operator"), (3, 10, "Number"),
    (3, 13, "Number"), (3, 18, "Statement"), (3, 27, "Nel"), (3, 33, "Delimiter"),
    (4, 1, "Repeat"), (4, 8, ""), (4, 16, "Number"), (4, 17, "Number"), (4, 28, "Operator"),
    (4, 30, "Number"), (4, 36, "Comment"),
    (5, 1, ""), (5, 7, ""), (5, 15, "Reserved"), (5, 25, ""), (5, 31, ""),
    (6, 1, ""), (6, 3, "Operator"),
    (7, 3, "Invalid"), (7, 8, "Invalid"), (7, 13, "Invalid"), (7, 18, "Invalid"),
    (7, 21, "Invalid"), (7, 24, "Operator"), (7, 29, "Invalid"), (7, 36, "Invalid"),
    (7, 42, "Invalid"),
]
# Groups that must show as Vim's Error group, whatever the colour scheme.
VIM_ERROR_GROUPS = ["azuvelInvalid", "azuvelReserved"]


def check_vim_highlighting(root):
    """Loads editors/vim as a Vim user would, then asks for the highlight group at each probe."""
    vim = shutil.which("vim")
    if not vim:
        print("vim not installed: Vim highlighting not checked")
        return []
    with tempfile.TemporaryDirectory() as work:
        sample = os.path.join(work, "sample.az")
        with open(sample, "w", encoding="utf-8") as f:
            f.write("\n".join(VIM_SAMPLE) + "\n")
        script = os.path.join(work, "runme")  # no extension: detected by its #! line
        with open(script, "w", encoding="utf-8") as f:
            f.write("#!/usr/bin/env azuvel\nprint(1);\n")
        report = os.path.join(work, "report")
        commands = [f"set runtimepath^={os.path.join(os.path.abspath(root), 'editors', 'vim')}",
                    "filetype plugin on", "syntax on", "let g:out = []",
                    f"edit {script}", "call add(g:out, &filetype . ' ' . &commentstring)",
                    f"edit {sample}", "call add(g:out, &filetype)"]
        commands += [f"call add(g:out, substitute(synIDattr(synID({line}, {col}, 1), 'name'), '^azuvel', '', ''))"
                     for line, col, _ in VIM_CASES]
        commands += [f"call add(g:out, synIDattr(synIDtrans(hlID('{group}')), 'name'))"
                     for group in VIM_ERROR_GROUPS]
        commands += [f"call writefile(g:out, '{report}')", "qa!"]
        probe = os.path.join(work, "probe.vim")  # vim takes at most ten -c commands
        with open(probe, "w", encoding="utf-8") as f:
            f.write("\n".join(commands) + "\n")
        args = [vim, "-N", "-u", "NONE", "-i", "NONE", "-n", "-es", "-S", probe]
        subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        if not os.path.exists(report):
            return ["FAIL: vim did not run the highlighting probe"]
        with open(report, encoding="utf-8") as f:
            got = f.read().split("\n")
    problems = []
    if got[0] != "azuvel # %s":
        problems.append(f"FAIL: vim on a #!/usr/bin/env azuvel script: filetype and "
                        f"commentstring {got[0]!r}, expected 'azuvel # %s'")
    if got[1] != "azuvel":
        problems.append(f"FAIL: vim on a .az file: filetype {got[1]!r}, expected 'azuvel'")
    for group, shown in zip(VIM_ERROR_GROUPS, got[2 + len(VIM_CASES):]):
        if shown != "Error":
            problems.append(f"FAIL: vim shows {group} as {shown or 'nothing'}, expected Error")
    for (line, col, expected), group in zip(VIM_CASES, got[2:]):
        if group != expected:
            text = VIM_SAMPLE[line - 1]
            problems.append(f"FAIL: vim line {line} column {col} ({text[col - 1]!r} in {text!r}): "
                            f"{group or 'no group'}, expected {expected or 'no group'}")
    return problems


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    root = sys.argv[1]
    keywords = lexer_keywords(sys.argv[2])
    if len(keywords) < 4:
        print(f"FAIL: the lexer's keyword table looks wrong: {keywords}")
        return 1
    problems = compare("the Vim syntax file",
                       vim_keywords(os.path.join(root, "editors", "vim", "syntax", "azuvel.vim")),
                       keywords)
    with open(os.path.join(root, "editors", "textmate", "azuvel.tmLanguage.json"),
              encoding="utf-8") as f:
        try:
            grammar = json.load(f)
        except json.JSONDecodeError as problem:
            print(f"FAIL: the TextMate grammar is not valid JSON: {problem}")
            return 1
    if grammar.get("scopeName") != "source.azuvel" or grammar.get("fileTypes") != ["az"]:
        problems.append("FAIL: the TextMate grammar needs scopeName source.azuvel, fileTypes [\"az\"]")
    problems += compare("the TextMate grammar", textmate_keywords(grammar), keywords)
    problems += check_textmate_rules(grammar)
    problems += check_vim_highlighting(root)
    for problem in problems:
        print(problem)
    print(f"keywords {keywords}: {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
