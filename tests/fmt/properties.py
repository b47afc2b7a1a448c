"""Formatting never changes what a script does.

  properties.py FMT_PROPERTIES AZUVEL [--scripts DIR]... [--generated N] [--seed S]

Over every *.az under each DIR (in a fuzz corpus, where names have no suffix, every file) and N
generated scripts laid out badly: fmt_properties formats each in-process as the command does
(statements the checker flags left as written) and checks the tokens, the header directive,
idempotence, the first line, range formatting, the layout's line rules and that the checker
says the same of the formatted script; then each formatted script is run with AZUVEL beside its input, and stdout, stderr
and exit status must be the same. Runs that do not end within a few seconds are skipped (a
fuzz corpus holds endless loops), as are those of scripts left unchanged.

The generated scripts: programs of every statement, nested blocks and loops that end, some
with tokens deleted, doubled or replaced, many with the habits of other languages put in
(MISTAKES: '>=', '+=', 'i++', '&&', '**', '//' comments, 'else', 'elif', 'end', '~=', a missing
';' or '}', a condition without parentheses, 'print x', 'x = y = 0', ...), and token soup; tokens apart or glued together,
split over lines, with tabs, blank lines, comments before and after everything, lone '&' and
'|', header directives and "sg<" on the first lines, CRLF line breaks, strings over several
lines, and now and then a lexical error, a NUL byte or only carriage returns.
"""
import concurrent.futures
import os
import random
import resource
import subprocess
import sys
import tempfile

TIMEOUT = 2
PATIENT_TIMEOUT = 60  # for a run whose twin ended within TIMEOUT
OUTPUT_LIMIT = 8 << 20  # bytes of output a run may write before SIGXFSZ stops it

NAMES = ["a", "b", "c", "s", "long_name_2"]
NUMBERS = ["0", "1", "2", "3", "0.5", "10", "007", "1.2.3", ".5", "4."]
OPERATORS = ["+", "-", "*", "/", "==", "!=", "<", ">"]
STRINGS = ['"x"', '"nel"', '"a # not a comment"', '"sg<nel>"', '"two\nlines"', '"say \\"hi\\""',
           '"  spaced  "', '"tab\there"', '"{ ; }"', '"crlf\r\ninside"', '"\\\\"', '"é ü"',
           '"ends with space \n  "']
# Anything the scanner reads, the misplaced and the unusable included.
SOUP = (NAMES + NUMBERS + OPERATORS + STRINGS[:4] +
        ["print", "var", "if", "while", "function", "return", "else", "(", ")", "{", "}", ",",
         ";", "=", "!", "&&", "||", "sg", "<", ">", "nel", "x1"])
# What may stand between two tokens; "\n" becomes "\r\n" in a CRLF script.
SEPARATORS = [" "] * 30 + [""] * 10 + ["\n"] * 12 + [
    "  \t ", "\n\n\n", "\n    \t", "\t", " # a comment\n", "# glued comment   \n",
    "\n# a comment on its own line: if (x) { print(\"a\"); }\n", "\t#\n",
    " # sg<nel> after the first line\n", "\n\n# two\n   # comments\n\n", " & ", " | ", "&",
    "\n\n\n\n", " \n \n", "\f", "\v", " \r ", "\n#\tindented # comment \t\n", " #sg<\n",
]
HEADERS = [
    "#sg<nel>\n", "#sg<nel> print(\"cut\");\n", "sg<nel>\n", " \t## sg<x nel y>\n", "#sg<\n",
    "\n#sg<nel>\n", "\n\n  # sg<nel>\n", "#!/usr/bin/env azuvel\n",
    "#!/usr/bin/env -S azuvel #sg<nel>\n", "print(\"sg<nel>\");   \n", "print(\"sg<\nnel>\"); ",
    "var sg = 1; ", "\n", "   \n\n", "# a plain comment   \n", "\nvar\nq = \"sg<nel>\";\n",
    "var\nq = \"sg<nel>\";\n", "print(\n\"sg<nel>\");\n", "# sg<x>\n\n\n", "sg\n<\nnel>\n",
    "print(\"a\"); # sg<nel>\n", "\t\n# sg<nel> on line two\n", "if (1) { # sg<nel>\n",
    "print(\"x\")\n# sg<nel>\n;\n",
]


COMPARISONS = ["<", ">", "==", "!="]


def first(tokens, rng, wanted):
    """A random index of a token in `wanted`, or None."""
    places = [i for i, t in enumerate(tokens) if t in wanted]
    return rng.choice(places) if places else None


def replace_comparison(tokens, rng):
    at = first(tokens, rng, COMPARISONS)
    if at is not None:
        tokens[at] = rng.choice([">=", "<=", "=>", "=<", "===", "!==", "~=", "<>", "> =",
                                 "< =", "= =", "! ="])


def replace_arithmetic(tokens, rng):
    at = first(tokens, rng, ["+", "-", "*", "/"])
    if at is not None:
        tokens[at] = rng.choice(["**", "//", "+ +", "^", "* *", "+-"])


def compound_assignment(tokens, rng):
    """x = x + 1; becomes x += 1;, x++;, ++x; or x -= 2;."""
    starts = [i for i in range(len(tokens) - 3) if tokens[i + 1] == "=" and
              (i == 0 or tokens[i - 1] in (";", "{", "}")) and tokens[i] not in ("var",)]
    if not starts:
        return
    at = rng.choice(starts)
    end = tokens.index(";", at)
    name = tokens[at]
    tokens[at:end] = rng.choice([[name, "+=", "1"], [name + "++"], [name, "++"], ["++", name],
                                 [name, "-=", "2"], [name, "*=", "2"], [name, "/=", "2"],
                                 [name, "=", name, "=", "0"], [name, "==", "1"]])


def logic(tokens, rng):
    at = first(tokens, rng, ["if", "while"])
    if at is not None and tokens[at + 1] == "(":
        tokens[at + 2:at + 2] = [rng.choice(NAMES), ">", "0",
                                 rng.choice(["&&", "||", "and", "or", "&", "|", "& &"])]


def foreign_comment(tokens, rng):
    at = first(tokens, rng, [";", "{", "}"])
    if at is not None:
        tokens.insert(at + 1, rng.choice(["// a note\n", "-- a note\n", "/* a note */",
                                          "// x = 1;\n"]))


def else_branch(tokens, rng):
    at = first(tokens, rng, ["}"])
    if at is not None:
        tokens[at + 1:at + 1] = rng.choice([
            ["else", "{", "print", "(", "1", ")", ";", "}"],
            ["elif", "(", "a", ")", "{", "}"],
            ["else", "if", "(", "a", ")", "{", "}"],
            ["else:", "print", "(", "a", ")", ";"]])


def block_words(tokens, rng):
    """Lua's and Python's block words: 'end' for '}', 'then', 'do', ':'."""
    at = first(tokens, rng, ["}", "{"])
    if at is not None:
        tokens[at] = rng.choice(["end", "then", "do", ":"] if tokens[at] == "{" else ["end"])


def missing_token(tokens, rng):
    at = first(tokens, rng, [";", ";", ";", "}", "{", ")", "("])
    if at is not None:
        del tokens[at]


def bare_condition(tokens, rng):
    """if (a < 1) { becomes if a < 1 {."""
    at = first(tokens, rng, ["if", "while"])
    if at is not None and tokens[at + 1] == "(":
        close = tokens.index("{", at) - 1
        if tokens[close] == ")":
            del tokens[close]
            del tokens[at + 1]


def bare_print(tokens, rng):
    """print(a); becomes print a; or print "a" + a;."""
    at = first(tokens, rng, ["print"])
    if at is not None:
        close = tokens.index(";", at) - 1
        if tokens[close] == ")":
            inner = tokens[at + 2:close] or ["a"]
            tokens[at + 1:close + 1] = rng.choice([inner, ['"a ="', "+", *inner[:1]]])


def foreign_statement(tokens, rng):
    at = first(tokens, rng, [";", "{", "}"])
    if at is not None:
        tokens[at + 1:at + 1] = rng.choice([
            ["for", "(", "var", "i", "=", "0", ";", "i", "<", "3", ";", "i++", ")", "{", "}"],
            ["break", ";"], ["let", "a", "=", "1", ";"], ["console.log", "(", "a", ")", ";"],
            ["printf", "(", '"%d"', ",", "a", ")", ";"], ["a", "=", "True", ";"],
            ["a", "=", "null", ";"], ["a", "=", "!", "b", ";"], ["a", "=", "-", "5", ";"],
            ["a", "=", "1e5", ";"], ["a", "=", "0x10", ";"], ["local", "a", "=", "1"],
            ["If", "(", "a", ")", "{", "}"], ["a", "=", "1", "<", "2", "<", "3", ";"],
            ["var", "a", "=", "1", ";"], ["}"], ["}", "}"], ["{"]])


# Habits of Python, JavaScript, C and Lua, each put into a correct program's tokens in place.
MISTAKES = [replace_comparison, replace_arithmetic, compound_assignment, logic, foreign_comment,
            else_branch, block_words, missing_token, bare_condition, bare_print,
            foreign_statement]


class Generator:
    def __init__(self, rng):
        self.rng = rng
        self.loops = 0

    def chance(self, p):
        return self.rng.random() < p

    def operand(self):
        r = self.rng.random()
        if r < 0.45:
            return [self.rng.choice(NUMBERS)]
        if r < 0.9:
            return [self.rng.choice(NAMES)]
        return ["(", *self.expression(2), ")"]

    def expression(self, depth=0):
        tokens = self.operand()
        for _ in range(self.rng.randint(0, 3 if depth < 2 else 0)):
            tokens += [self.rng.choice(OPERATORS), *self.operand()]
        return tokens

    def block(self, depth, size, loops):
        return [t for _ in range(size) for t in self.statement(depth, loops)]

    def statement(self, depth, loops):
        r = self.rng.random()
        name = self.rng.choice(NAMES)
        if r < 0.25:
            return [name, "=", *self.expression(), ";"]
        if r < 0.32:
            value = [self.rng.choice(STRINGS)] if self.chance(0.3) else self.expression()
            return ["var", name, "=", *value, ";"]
        if r < 0.55:
            items = []
            for i in range(self.rng.randint(0, 4)):
                items += ([","] if i else []) + [self.rng.choice(NAMES + STRINGS + NUMBERS)]
            return ["print", "(", *items, ")", ";"]
        if r < 0.6:
            return ["(", *self.expression(), ")", ";"]
        if r < 0.8 or depth >= 3 or not loops:
            return (["if", "(", *self.expression(), ")", "{"] +
                    self.block(depth + 1, self.rng.randint(0, 3), loops) + ["}"])
        # A loop that ends: its own counter, declared at the top, counts up to a small limit.
        k = f"k{self.loops}"
        self.loops += 1
        body = self.block(depth + 1, self.rng.randint(1, 3), loops)
        return (["while", "(", k, "<", str(self.rng.randint(0, 4)), ")", "{", *body,
                 k, "=", k, "+", "1", ";", "}"])

    def program(self):
        loops = self.chance(0.7)
        body = self.block(0, self.rng.randint(1, 8), loops)
        top = []
        for name in NAMES + [f"k{i}" for i in range(self.loops)]:
            top += ["var", name, "=", self.rng.choice(NUMBERS), ";"]
        tokens = top + body
        if self.chance(0.6):
            for _ in range(self.rng.randint(1, 3)):
                try:
                    self.rng.choice(MISTAKES)(tokens, self.rng)
                except ValueError:  # no ';' or '{' where one was looked for
                    pass
        elif not loops:
            # Faults only where no loop can lose its end.
            for _ in range(self.rng.randint(0, 3)):
                at = self.rng.randrange(len(tokens))
                action = self.rng.random()
                if action < 0.4:
                    del tokens[at]
                elif action < 0.6:
                    tokens.insert(at, tokens[at])
                else:
                    tokens[at] = self.rng.choice(SOUP)
        return tokens

    def soup(self):
        return [self.rng.choice(SOUP) for _ in range(self.rng.randint(0, 40))]

    def script(self):
        self.loops = 0
        tokens = self.soup() if self.chance(0.15) else self.program()
        text = self.rng.choice(HEADERS) if self.chance(0.35) else ""
        # A few tokens with the same separator, so that runs of one kind of layout appear.
        separator = " "
        for token in tokens:
            if self.chance(0.5):
                separator = self.rng.choice(SEPARATORS)
            text += token + separator
        text += self.rng.choice(["", "\n", "\n\n\n", "  ", " # last\n", " # no newline"])
        r = self.rng.random()
        if r < 0.2:
            text = text.replace("\n", "\r\n")
        elif r < 0.23:
            text = text.replace("\n", "\r")  # one line to the interpreter: left unchanged
        elif r < 0.26:
            at = self.rng.randrange(len(text) + 1)
            text = text[:at] + self.rng.choice(["@", "'", "\"unterminated", "\0", "%"]) + text[at:]
        return text.encode()


def run(azuvel, script, timeout=TIMEOUT):
    """(stdout, stderr, status) of one run, or None when it did not end in time."""
    try:
        done = subprocess.run([azuvel, script], capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    return done.stdout, done.stderr, done.returncode


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        sys.exit(__doc__)
    checker, azuvel = os.path.abspath(args[0]), os.path.abspath(args[1])
    dirs, generated, seed = [], 0, 1
    i = 2
    while i < len(args):
        if args[i] == "--scripts":
            dirs.append(args[i + 1])
        elif args[i] == "--generated":
            generated = int(args[i + 1])
        elif args[i] == "--seed":
            seed = int(args[i + 1])
        else:
            sys.exit(f"unknown argument: {args[i]}")
        i += 2

    resource.setrlimit(resource.RLIMIT_FSIZE, (OUTPUT_LIMIT, OUTPUT_LIMIT))
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
    with tempfile.TemporaryDirectory() as work:
        scripts = []
        for d in dirs:
            for root, _, files in os.walk(d):
                scripts += [os.path.join(root, f) for f in sorted(files)
                            if f.endswith(".az") or "." not in f]
        rng = random.Random(seed)
        generator = Generator(rng)
        for n in range(generated):
            path = os.path.join(work, f"gen{n}.az")
            with open(path, "wb") as f:
                f.write(generator.script())
            scripts.append(path)
        out_dir = os.path.join(work, "formatted")
        os.mkdir(out_dir)

        checked = subprocess.run([checker, out_dir, *scripts], capture_output=True, text=True)
        print(checked.stdout, end="")
        print(checked.stderr, end="", file=sys.stderr)
        failed = checked.returncode != 0

        def compare(numbered):
            n, script = numbered
            formatted = os.path.join(out_dir, f"{n}.az")
            with open(script, "rb") as a, open(formatted, "rb") as b:
                if a.read() == b.read():
                    return script, "same"
            before = run(azuvel, script)
            if before is None:
                return script, "endless"
            after = run(azuvel, formatted)
            if after is None:
                # A busy machine may slow one run past the limit the other just met.
                after = run(azuvel, formatted, PATIENT_TIMEOUT)
            for what, x, y in zip(("stdout", "stderr", "status"), before, after or ((),) * 3):
                if after is None or x != y:
                    return script, f"{what} differs: before {x[:200]!r}, after {y[:200]!r}"
            return script, None

        counts = {"same": 0, "endless": 0, "ran": 0}
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            for script, problem in pool.map(compare, enumerate(scripts)):
                if problem in counts:
                    counts[problem] += 1
                elif problem is None:
                    counts["ran"] += 1
                else:
                    failed = True
                    print(f"FAIL {script}: {problem}")
                    if script.startswith(work):
                        with open(script, "rb") as f:
                            print(repr(f.read()))
        print(f"{len(scripts)} scripts: {counts['ran']} changed and run alike, "
              f"{counts['same']} already formatted or left unchanged, "
              f"{counts['endless']} skipped as endless")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
