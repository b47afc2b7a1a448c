"""The layout, one golden case per rule: the input, and what azuvel-fmt makes of it. Each
expected text is a fixed point too.

    python3 tests/fmt/layout_test.py path/to/azuvel-fmt
"""
import subprocess
import sys
import unittest

FMT = None

# (rule, input, expected[, what goes to standard error: the parts left as written])
CASES = [
    ("four spaces per block level",
     "while (a) {\nif (b) {\nc = 1;\n}\n}\n",
     "while (a) {\n    if (b) {\n        c = 1;\n    }\n}\n"),
    ("tabs and odd indents become the block's indent",
     "\t\tvar x = 1;\n  \t print(x);\nif (x) {\n\t\t  x = 2;\n }\n",
     "var x = 1;\nprint(x);\nif (x) {\n    x = 2;\n}\n"),
    ("one statement per line",
     "var a = 1; var b = 2;print(a, b);\n",
     "var a = 1;\nvar b = 2;\nprint(a, b);\n"),
    ("a statement over several lines is joined",
     "print(\n    \"two\"\n); var x =\n    1 +\n    2;\n",
     "print(\"two\");\nvar x = 1 + 2;\n"),
    ("{ stands on the line of its if or while",
     "if (x)\n{\nprint(x);\n}\nwhile (x)\n\n{ x = 0; }\n",
     "if (x) {\n    print(x);\n}\nwhile (x) {\n    x = 0;\n}\n"),
    ("} stands on a line of its own",
     "if (x) { print(x); } print(1);\nif (x) {}\n",
     "if (x) {\n    print(x);\n}\nprint(1);\nif (x) {\n}\n"),
    ("one space around binary operators",
     "var x=1+2*3-4/5;\nx=x==1;\nx=x!=0;\nx=x<2;\nx=x>1;\n",
     "var x = 1 + 2 * 3 - 4 / 5;\nx = x == 1;\nx = x != 0;\nx = x < 2;\nx = x > 1;\n"),
    ("one space after a comma, none before",
     "print(a ,b,c  ,  \"d\");\n",
     "print(a, b, c, \"d\");\n"),
    ("no space inside parentheses",
     "var y = ( ( a + b ) * c );\nif( x ){ print( ); }\n",
     "var y = ((a + b) * c);\nif (x) {\n    print();\n}\n"),
    ("print( takes no space; if ( and while ( take one",
     "print (x);\nwhile(x) { x = 0; }\nif(x) { x = 1; }\n",
     "print(x);\nwhile (x) {\n    x = 0;\n}\nif (x) {\n    x = 1;\n}\n"),
    ("at most one blank line in a row",
     "a = 1;\n\n\n\nb = 2;\n   \n\t\n\nc = 3;\n",
     "a = 1;\n\nb = 2;\n\nc = 3;\n"),
    ("no blank line at the start or the end",
     "\n\n\nprint(1);\n\n\n",
     "print(1);\n"),
    ("a comment on its own line keeps it, at the indent of its block",
     "while (a) {\n# step\n  a = a - 1;\n      # done\n}\n#end\n",
     "while (a) {\n    # step\n    a = a - 1;\n    # done\n}\n#end\n"),
    ("a comment after code keeps one space before its #",
     "x = 1;      # one\nprint(x);# two\nif (x) {   # three\n}  # four\n",
     "x = 1; # one\nprint(x); # two\nif (x) { # three\n} # four\n"),
    ("a comment inside a statement ends its line; the rest is indented once more",
     "var total = a + # first part\nb;\n",
     "var total = a + # first part\n    b;\n"),
    ("no trailing spaces, in comments neither",
     "print(1);   \n# note \t \nprint(2);\t\n",
     "print(1);\n# note\nprint(2);\n"),
    ("a final line break",
     "print(1);",
     "print(1);\n"),
    ("CRLF line breaks stay CRLF",
     "var a=1;\r\nif (a) { print(a); } # x \r\n",
     "var a = 1;\r\nif (a) {\r\n    print(a);\r\n} # x\r\n"),
    ("string literals are kept byte for byte",
     "print(\"  two\n   lines  \",\"a#b\" , \"\\\"\");\n",
     "print(\"  two\n   lines  \", \"a#b\", \"\\\"\");\n"),
    ("a first line holding the header directive is kept as written",
     "#sg<nel>   \nprint(1);print(2);\n",
     "#sg<nel>   \nprint(1);\nprint(2);\n"),
    ("a first line holding sg< anywhere is kept as written",
     "print(\"a\");print( \"b\" ); # sg<nel>\nprint( \"c\" );\n",
     "print(\"a\");print( \"b\" ); # sg<nel>\nprint(\"c\");\n"),
    ("a blank first line stays when the next holds sg<",
     "\n\n\n#sg<nel>\nprint(1);\n",
     "\n#sg<nel>\nprint(1);\n"),
    ("no line holding sg< becomes the first: a blank line goes before it",
     "var\ns = \"sg<nel>\";\n",
     "\nvar s = \"sg<nel>\";\n"),
    ("a statement with a syntax error stays as written, the rest is formatted",
     "var x=1;\nif (x) { print(1); } else { print(2); }\nvar y = -5;;\nprint( x );\n",
     "var x = 1;\nif (x) { print(1); } else { print(2); }\nvar y = -5;;\nprint(x);\n",
     "azuvel-fmt: <stdin>:2: left as written, for the checker's error: Unexpected identifier\n"
     "azuvel-fmt: <stdin>:3: left as written, for the checker's error: Expected expression\n"),
    ("a sign or ! is an error, so its statement stays as written",
     "if (! a) { a = - 1 * -(2); }\na = ! = b;\n",
     "if (! a) { a = - 1 * -(2); }\na = ! = b;\n",
     "azuvel-fmt: <stdin>:1: left as written, for the checker's error: Expected expression\n"
     "azuvel-fmt: <stdin>:2: left as written, for the checker's error: Expected expression\n"),
    ("a lone & or | stays where it stands, in a statement left as written",
     "var b = 2 &|3;\n",
     "var b = 2 &|3;\n",
     "azuvel-fmt: <stdin>:1: left as written, for the checker's error: Expected ';'\n"),
    ("a brace after a comment starts its line at the statement's indent",
     "if (x) # why\n{\nprint(x);\n}\n",
     "if (x) # why\n{\n    print(x);\n}\n"),
    ("a } with no block open leaves the whole script as written",
     "}\n  print(1);\n",
     "}\n  print(1);\n",
     "azuvel-fmt: <stdin>:1-2: left as written, for the checker's error: Expected expression\n"),
    ("an empty script stays empty",
     "  \n\n\t\n",
     ""),
]


def fmt(text):
    done = subprocess.run([FMT, "-"], input=text.encode(), capture_output=True, timeout=10)
    return done.returncode, done.stdout.decode(), done.stderr.decode()


class Layout(unittest.TestCase):
    def test_cases(self):
        for rule, given, expected, *notes in CASES:
            with self.subTest(rule=rule):
                stderr = notes[0] if notes else ""
                self.assertEqual(fmt(given), (0, expected, stderr))
                self.assertEqual(fmt(expected), (0, expected, stderr), "not a fixed point")

    def test_one_case_per_rule(self):
        rules = [case[0] for case in CASES]
        self.assertEqual(len(rules), len(set(rules)))


if __name__ == "__main__":
    FMT = sys.argv.pop(1)
    unittest.main()
