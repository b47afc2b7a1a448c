"""The Vim file type plugin formats through azuvel-fmt: gggqG in a headless Vim lays a messy
buffer out as azuvel-fmt does, leaves a buffer with a lexical error as it was and a statement
with a mistake as written, with no message in it.

    python3 tests/fmt/vim_test.py AZUVEL_FMT SOURCE_ROOT
"""
import os
import subprocess
import sys
import tempfile

CASES = [
    ("var x=1;print( x );\nif (x) { x = 2; }\n",
     "var x = 1;\nprint(x);\nif (x) {\n    x = 2;\n}\n"),
    ("print( 1 );\nvar y = 5 @ 2;\n", "print( 1 );\nvar y = 5 @ 2;\n"),
    # A statement with a mistake stays as written, and the note does not reach the buffer.
    ("var i=0;\nif (i >= 5) { print(i); }\n", "var i = 0;\nif (i >= 5) { print(i); }\n"),
]


def format_in_vim(fmt, root, work, text):
    script = os.path.join(work, "script.az")
    with open(script, "w") as f:
        f.write(text)
    probe = os.path.join(work, "probe.vim")
    with open(probe, "w") as f:
        f.write("\n".join([
            f"set runtimepath^={os.path.join(os.path.abspath(root), 'editors', 'vim')}",
            "filetype plugin on",
            "edit script.az",
            "normal! gggqG",
            "write",
            "qa!",
        ]) + "\n")
    env = dict(os.environ, PATH=os.path.dirname(os.path.abspath(fmt)) + os.pathsep +
               os.environ.get("PATH", ""))
    subprocess.run(["vim", "-N", "-u", "NONE", "-i", "NONE", "-n", "-es", "-S", probe],
                   cwd=work, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    with open(script) as f:
        return f.read()


def main():
    fmt, root = sys.argv[1], sys.argv[2]
    failed = 0
    with tempfile.TemporaryDirectory() as work:
        for given, expected in CASES:
            got = format_in_vim(fmt, root, work, given)
            if got != expected:
                failed += 1
                print(f"FAIL: {given!r} became {got!r}, expected {expected!r}")
    print(f"{len(CASES) - failed} of {len(CASES)} Vim formatting cases pass")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
