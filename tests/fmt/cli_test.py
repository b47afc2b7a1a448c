"""azuvel-fmt's command line: its outputs and exit statuses in a table, then writing in place,
diffs that patch(1) applies, and scripts left unchanged.

    python3 tests/fmt/cli_test.py path/to/azuvel-fmt
"""
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

FMT = None
MESSY = "var x=1;print( x );\n"
TIDY = "var x = 1;\nprint(x);\n"
DIFF = ("--- messy.az\t(original)\n+++ messy.az\t(formatted)\n@@ -1,1 +1,2 @@\n"
        "-var x=1;print( x );\n+var x = 1;\n+print(x);\n")
# '>=', '+=' and a missing ';' stay as written, so the checker can still explain them.
KEEP = "var i=0;\nif (i >= 5) { print(i); }\ni += 1;\nvar t=0;\nt = t + i\ni = i + 1;\nprint(t);\n"
KEPT = "var i = 0;\nif (i >= 5) { print(i); }\ni += 1;\nvar t = 0;\nt = t + i\ni = i + 1;\nprint(t);\n"
KEEP_NOTES = (
    "azuvel-fmt: <stdin>:2: left as written, for the checker's error: Expected expression\n"
    "azuvel-fmt: <stdin>:3: left as written, for the checker's error: Unexpected identifier\n"
    "azuvel-fmt: <stdin>:5-6: left as written, for the checker's error: Expected ';'\n")
USAGE_HINT = " (try 'azuvel-fmt --help')\n"

# (arguments, standard input, status, stdout, stderr); files: messy.az, tidy.az, bad.az,
# cr.az, a folder dir/. None: anything.
TABLE = [
    ([], "", 2, "", "azuvel-fmt: no file to format" + USAGE_HINT),
    (["--chek", "tidy.az"], "", 2, "", "azuvel-fmt: unknown option '--chek'" + USAGE_HINT),
    (["-w", "-"], "", 2, "", "azuvel-fmt: -w cannot write standard input back" + USAGE_HINT),
    (["--help"], "", 0, None, ""),
    (["-v"], "", 0, "azuvel-fmt (Azuvel Re+4.0.0-Beta)\n", ""),
    (["missing.az"], "", 2, "",
     "azuvel-fmt: cannot read 'missing.az': No such file or directory\n"),
    (["dir"], "", 2, "", "azuvel-fmt: cannot read 'dir': Is a directory\n"),
    (["messy.az"], "", 0, TIDY, ""),
    (["-"], MESSY, 0, TIDY, ""),
    (["--", "messy.az", "tidy.az"], "", 0, TIDY + TIDY, ""),
    (["messy.az", "missing.az", "tidy.az"], "", 2, TIDY + TIDY,
     "azuvel-fmt: cannot read 'missing.az': No such file or directory\n"),
    (["--check", "tidy.az"], "", 0, "", ""),
    (["--check", "messy.az", "tidy.az", "-"], MESSY, 1, "messy.az\n<stdin>\n", ""),
    (["--diff", "tidy.az"], "", 0, "", ""),
    (["--diff", "messy.az"], "", 0, DIFF, ""),
    (["--diff", "--check", "messy.az"], "", 1, DIFF, ""),
    # Lexical errors: printed unchanged, the error on stderr, status 1.
    (["bad.az"], "", 1, "print( 1 );\nvar y = 5 @ 2;\n",
     "azuvel-fmt: bad.az:2:11: Unknown character: @; left unchanged\n"),
    (["-"], 'print("open);\n', 1, 'print("open);\n',
     "azuvel-fmt: <stdin>:1:7: Unterminated string; left unchanged\n"),
    (["--check", "bad.az", "tidy.az"], "", 1, "",
     "azuvel-fmt: bad.az:2:11: Unknown character: @; left unchanged\n"),
    (["cr.az"], "", 1, "var x=1;\rprint(x);\r",
     "azuvel-fmt: cr.az: carriage returns but no newline: the whole file is one line to azuvel;"
     " left unchanged\n"),
    (["-"], "print(1);\0print(2);", 1, "print(1);\0print(2);",
     "azuvel-fmt: <stdin>: a NUL byte, where azuvel stops reading the script; left unchanged\n"),
    # Statements the checker flags: kept as written, the rest formatted, a note each, status 0.
    (["-"], KEEP, 0, KEPT, KEEP_NOTES),
    (["--check", "-"], KEEP, 1, "<stdin>\n", KEEP_NOTES),
    (["-"], "var x=1;\nif (x) {\n", 0, "var x=1;\nif (x) {\n",
     "azuvel-fmt: <stdin>:1-2: left as written, for the checker's error: Expected '}'\n"),
]


def run(args, stdin="", cwd=None):
    done = subprocess.run([FMT, *args], input=stdin.encode(), capture_output=True, cwd=cwd,
                          timeout=20)
    return done.returncode, done.stdout.decode(), done.stderr.decode()


class CommandLine(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        for name, text in [("messy.az", MESSY), ("tidy.az", TIDY),
                           ("bad.az", "print( 1 );\nvar y = 5 @ 2;\n"),
                           ("cr.az", "var x=1;\rprint(x);\r")]:
            with open(os.path.join(self.dir, name), "w", newline="") as f:
                f.write(text)
        os.mkdir(os.path.join(self.dir, "dir"))

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def read(self, name):
        with open(self.path(name), newline="") as f:
            return f.read()

    def test_table(self):
        for args, stdin, status, stdout, stderr in TABLE:
            with self.subTest(args=args):
                got = run(args, stdin, cwd=self.dir)
                self.assertEqual(got[0], status, got)
                if stdout is not None:
                    self.assertEqual(got[1], stdout)
                self.assertEqual(got[2], stderr)

    def test_help_names_every_option(self):
        status, out, _ = run(["--help"])
        for option in ["--check", "--diff", "-w", "FILE..."]:
            self.assertIn(option, out)

    def test_write_in_place_keeps_the_mode_and_touches_only_changed_files(self):
        os.chmod(self.path("messy.az"), 0o751)
        before = os.stat(self.path("tidy.az"))
        self.assertEqual(run(["-w", "messy.az", "tidy.az"], cwd=self.dir), (0, "", ""))
        self.assertEqual(self.read("messy.az"), TIDY)
        self.assertEqual(stat.S_IMODE(os.stat(self.path("messy.az")).st_mode), 0o751)
        after = os.stat(self.path("tidy.az"))
        self.assertEqual((before.st_ino, before.st_mtime_ns), (after.st_ino, after.st_mtime_ns))
        # Nothing is left behind: the temporary file was renamed over the script.
        self.assertEqual(sorted(os.listdir(self.dir)),
                         ["bad.az", "cr.az", "dir", "messy.az", "tidy.az"])

    def test_write_replaces_the_file_by_rename(self):
        # A reader holding the old file sees it whole: the new text is a new inode.
        inode = os.stat(self.path("messy.az")).st_ino
        with open(self.path("messy.az")) as held:
            self.assertEqual(run(["-w", "messy.az"], cwd=self.dir)[0], 0)
            self.assertEqual(held.read(), MESSY)
        self.assertNotEqual(os.stat(self.path("messy.az")).st_ino, inode)

    def test_write_through_a_symbolic_link_keeps_the_link(self):
        os.symlink("messy.az", self.path("link.az"))
        self.assertEqual(run(["-w", "link.az"], cwd=self.dir), (0, "", ""))
        self.assertTrue(os.path.islink(self.path("link.az")))
        self.assertEqual(self.read("messy.az"), TIDY)

    def test_write_leaves_a_file_with_a_lexical_error_alone(self):
        status, out, err = run(["-w", "bad.az", "messy.az"], cwd=self.dir)
        self.assertEqual((status, out), (1, ""))
        self.assertIn("Unknown character: @; left unchanged", err)
        self.assertEqual(self.read("bad.az"), "print( 1 );\nvar y = 5 @ 2;\n")
        self.assertEqual(self.read("messy.az"), TIDY)

    def test_write_and_check_together_write_and_name(self):
        self.assertEqual(run(["-w", "--check", "messy.az"], cwd=self.dir), (1, "messy.az\n", ""))
        self.assertEqual(self.read("messy.az"), TIDY)
        self.assertEqual(run(["--check", "messy.az"], cwd=self.dir), (0, "", ""))

    def test_a_diff_patches_the_file_into_its_formatted_text(self):
        if shutil.which("patch") is None:
            self.skipTest("patch is not installed")
        texts = {
            "many.az": "".join(f"var v{i}=1;\n" if i % 9 else f"if(v{i}){{ v{i}=2; }}\n"
                               for i in range(60)),
            "no_newline.az": "print(1);\nprint( 2 );",
            "crlf.az": "# keep\r\nvar a=1;\r\n\r\n\r\n\r\nprint(a);\r\n",
            "blank_first.az": "\n\n\nprint(1);\n",
            "emptied.az": "\n\n  \n",
            "sg.az": "var\nq = \"sg<\";\nprint( q );\n",
        }
        for name, text in texts.items():
            with self.subTest(name=name):
                with open(self.path(name), "w", newline="") as f:
                    f.write(text)
                status, diff, err = run(["--diff", name], cwd=self.dir)
                self.assertEqual((status, err), (0, ""))
                formatted = run([name], cwd=self.dir)[1]
                self.assertNotEqual(diff, "")
                patched = subprocess.run(["patch", "-s", "-o", "-", self.path(name)],
                                         input=diff.encode(), capture_output=True)
                self.assertEqual(patched.returncode, 0, patched.stderr)
                self.assertEqual(patched.stdout.decode(), formatted)

    def test_unwritable_output_is_status_2(self):
        with open("/dev/full", "w") as full:
            done = subprocess.run([FMT, self.path("messy.az")], stdout=full,
                                  stderr=subprocess.PIPE)
        self.assertEqual(done.returncode, 2)
        self.assertEqual(done.stderr, b"azuvel-fmt: cannot write to standard output\n")


if __name__ == "__main__":
    FMT = os.path.abspath(sys.argv.pop(1))
    unittest.main()
