"""Protocol tests: a scripted client speaks JSON-RPC to azuvel-lsp, grouped by feature.

    python3 tests/lsp/test_lsp.py path/to/azuvel-lsp
"""
import sys
import unittest

from lsp_client import Client

SERVER = None
URI = "file:///work/script.az"
UTF8 = {"general": {"positionEncodings": ["utf-8", "utf-16"]}}


STARTED = []


def tearDownModule():
    for client in STARTED:
        if client.proc.poll() is None:
            client.proc.kill()
            client.close()


def session(capabilities=None, initialize=True):
    client = Client(SERVER)
    STARTED.append(client)
    if initialize:
        client.initialize(capabilities)
    return client


def start(rng):
    return (rng["start"]["line"], rng["start"]["character"])


def apply_edits(text, edits):
    """Applies TextEdits given in UTF-8 positions, last first."""
    lines = text.split("\n")
    offsets = [sum(len(line) + 1 for line in lines[:i]) for i in range(len(lines))]
    at = lambda p: offsets[p["line"]] + p["character"]
    for edit in sorted(edits, key=lambda e: at(e["range"]["start"]), reverse=True):
        text = text[:at(edit["range"]["start"])] + edit["newText"] + text[at(edit["range"]["end"]):]
    return text


class Lifecycle(unittest.TestCase):
    def test_exit_status_says_whether_shutdown_came_first(self):
        self.assertEqual(session().finish(), 0)
        client = session()
        client.notify("exit")
        self.assertEqual(client.close(), 1)
        self.assertEqual(session().close(), 1)  # input closed without exit

    def test_position_encoding_is_utf16_unless_utf8_is_offered(self):
        for capabilities, expected in [({}, "utf-16"), (UTF8, "utf-8"),
                                       ({"general": {"positionEncodings": ["utf-16"]}}, "utf-16")]:
            client = session(initialize=False)
            result = client.initialize(capabilities)
            self.assertEqual(result["capabilities"]["positionEncoding"], expected)
            self.assertEqual(result["capabilities"]["textDocumentSync"]["change"], 1)
            client.finish()

    def test_requests_after_shutdown_are_refused(self):
        client = session()
        client.request("shutdown")
        self.assertEqual(client.request("textDocument/hover", {})["error"]["code"], -32600)
        client.notify("exit")
        self.assertEqual(client.close(), 0)


class Robustness(unittest.TestCase):
    def test_error_responses(self):
        client = session(initialize=False)
        # Before initialize: requests are refused and notifications dropped without a word.
        client.notify("textDocument/didOpen", {"textDocument": {"uri": URI, "text": "x"}})
        self.assertEqual(client.request("textDocument/hover", {})["error"]["code"], -32002)
        client.initialize()
        client.send_raw(b"Content-Length: 9\r\n\r\n{not json")
        self.assertEqual(client.read(), {"jsonrpc": "2.0", "id": None,
                                         "error": {"code": -32700, "message": "invalid JSON"}})
        self.assertEqual(client.request("no/such")["error"]["code"], -32601)
        client.notify("no/such/notification")
        self.assertEqual(client.request("textDocument/hover", {"textDocument": 5})
                         ["error"]["code"], -32602)
        # A didOpen whose text is not a string opens nothing.
        client.notify("textDocument/didOpen", {"textDocument": {"uri": URI, "text": 5}})
        self.assertIsNone(client.request("textDocument/codeAction", {
            "textDocument": {"uri": URI}, "context": {"diagnostics": []}})["result"])
        client.send({"jsonrpc": "2.0", "id": 77})
        self.assertEqual(client.read()["error"]["code"], -32600)
        self.assertEqual(client.finish(), 0)
        self.assertEqual(client.buffer, b"")  # nothing but protocol messages on stdout

    def test_bad_framing_is_logged_and_skipped(self):
        client = session()
        client.send_raw(b"Content-Type: x\r\n\r\n")           # no length
        client.send_raw(b"Content-Length: ten\r\n\r\n")       # not a number
        client.send_raw(b"garbage without colon\r\n\r\n")
        # A length too small: the rest of that body is dropped before the next header.
        client.send_raw(b'Content-Length: 5\r\n\r\n{"jsonrpc":"2.0","id":"lost","method":"x"}')
        self.assertEqual(client.read()["error"]["code"], -32700)
        body = b'{"jsonrpc":"2.0","id":"a","method":"shutdown"}'
        # One message cut into single bytes, then two in one write.
        for byte in b"content-length:  %d \r\n\r\n" % len(body) + body:
            client.send_raw(bytes([byte]))
        self.assertEqual(client.read(), {"jsonrpc": "2.0", "id": "a", "result": None})
        client.notify("exit")
        self.assertEqual(client.close(), 0)
        self.assertEqual(client.stderr.count("azuvel-lsp: "), 4)

    def test_huge_document_and_positions_past_the_end(self):
        client = session()
        text = "var a = 1;\n" * 20000 + "var b = a"
        self.assertEqual(len(client.open(URI, text)), 1000)  # of 20,000: the first thousand
        last = text.count("\n")
        self.assertEqual(start(client.at("textDocument/definition", URI, last, 999)["range"]),
                         (0, 4))
        past = client.at("textDocument/hover", URI, last + 50, 0)  # clamps to after the `a`
        self.assertEqual(start(past["range"]), (last, 8))
        self.assertIsNone(client.at("textDocument/hover", URI, 0, 10**12))
        self.assertEqual(client.finish(), 0)

    def test_a_ranged_change_and_a_save_with_text_edit_the_document(self):
        client = session()
        client.open(URI, 'var a = 1;\nprint("😀", b);\n')
        client.notify("textDocument/didChange", {
            "textDocument": {"uri": URI, "version": 2},
            "contentChanges": [{"range": {"start": {"line": 1, "character": 12},
                                          "end": {"line": 1, "character": 13}}, "text": "a"}]})
        client.diagnostics(URI)
        refs = client.at("textDocument/references", URI, 0, 4, context={"includeDeclaration": True})
        self.assertEqual([start(r["range"]) for r in refs], [(0, 4), (1, 12)])
        # A save that carries the text replaces it too.
        client.notify("textDocument/didSave", {"textDocument": {"uri": URI}, "text": "var a;"})
        client.diagnostics(URI)
        refs = client.at("textDocument/references", URI, 0, 4, context={"includeDeclaration": True})
        self.assertEqual([start(r["range"]) for r in refs], [(0, 4)])
        client.finish()


class Diagnostics(unittest.TestCase):
    def test_published_on_open_change_and_close(self):
        client = session()
        first = client.open(URI, 'print("a")\n')
        if not first:
            client.finish()
            self.skipTest("the checker reports nothing yet")
        self.assertEqual(first[0]["message"], "Expected ';'")
        self.assertEqual((first[0]["severity"], first[0]["source"]), (1, "azuvel"))
        self.assertEqual(start(first[0]["range"]), (0, 10))
        self.assertEqual(client.change(URI, 'print("a");\n', 2), [])
        undefined = client.change(URI, "var tries = 1;\nprint(trie);\n", 3)
        self.assertEqual(undefined[0]["code"], "undefined-variable")
        self.assertIn("help: did you mean 'tries'?", undefined[0]["message"])
        unclosed = client.change(URI, "if (1) {\n  print(1);\n", 4)
        # The note is folded into the message too, for clients that show no relatedInformation.
        self.assertEqual(unclosed[0]["message"], "Expected '}'\nnote: line 1: block opened here")
        self.assertEqual(start(unclosed[0]["relatedInformation"][0]["location"]["range"]), (0, 7))
        client.notify("textDocument/didClose", {"textDocument": {"uri": URI}})
        self.assertEqual(client.diagnostics(URI), [])
        client.finish()

    def test_columns_count_in_the_negotiated_encoding(self):
        text = 'var s = "é€😀";\nprint(s)\n'
        found = {}
        for name, capabilities in [("utf-16", {}), ("utf-8", UTF8)]:
            client = session(capabilities)
            found[name] = client.open(URI, text)
            client.finish()
        if not found["utf-8"]:
            self.skipTest("the checker reports nothing yet")
        self.assertEqual(start(found["utf-8"][0]["range"]), (1, 8))
        self.assertEqual(start(found["utf-16"][0]["range"]), (1, 8))
        moved = 'var s = "é€😀"; print(s)\n'
        for name, shift in [("utf-16", 5), ("utf-8", 0)]:
            client = session({} if name == "utf-16" else UTF8)
            diagnostic = client.open(URI, moved)[0]
            self.assertEqual(start(diagnostic["range"]), (0, len(moved.encode()) - 1 - shift))
            client.finish()

    def test_lines_break_where_the_client_breaks_them(self):
        # The checker counts lines at "\n" only; a client also at "\r\n" and at a lone "\r".
        for eol in ["\n", "\r\n", "\r"]:
            client = session()
            found = client.open(URI, eol.join(["var total = 1;", "print(totl, total);", ""]))
            undefined = [d for d in found if d["code"] == "undefined-variable"]
            self.assertEqual([(start(d["range"]), d["range"]["end"]["character"])
                              for d in undefined], [((1, 6), 10)], repr(eol))
            definition = client.at("textDocument/definition", URI, 1, 14)
            self.assertEqual(start(definition["range"]), (0, 4), repr(eol))
            # A token on a line that starts after a lone "\r" is placed on the client's line.
            refs = client.at("textDocument/references", URI, 1, 14,
                             context={"includeDeclaration": True})
            self.assertEqual([(start(r["range"]), r["range"]["end"]["character"]) for r in refs],
                             [((0, 4), 9), ((1, 12), 17)], repr(eol))
            client.finish()


SCRIPT = """var total = 0;
var name = "Ada";
var i = 0;
while (i < 3) {
  var total = total + i;
  i = i + 1;
}
print(name, total);
"""


class Navigation(unittest.TestCase):
    def setUp(self):
        self.client = session()
        self.client.open(URI, SCRIPT)

    def tearDown(self):
        self.client.finish()

    def test_hover(self):
        cases = [((7, 7), "`name`: first declared on line 2, as a string; 1 `var` declares it."),
                 ((4, 16), "`total`: first declared on line 1, as a number; 2 `var`s declare it."),
                 ((3, 2), "`while (condition) { ... }` runs the block again while the "
                          "condition is not 0."),
                 ((7, 1), "`print(item, ...)` writes its items separated by one space, "
                          "then a newline.")]
        for (line, character), expected in cases:
            hover = self.client.at("textDocument/hover", URI, line, character)
            self.assertEqual(hover["contents"]["value"], expected)
        self.assertIsNone(self.client.at("textDocument/hover", URI, 0, 10))  # on '='

    def test_definition_references_and_highlight(self):
        definition = self.client.at("textDocument/definition", URI, 7, 14)
        self.assertEqual((definition["uri"], start(definition["range"])), (URI, (0, 4)))
        uses = [(0, 4), (4, 6), (4, 14), (7, 12)]
        refs = self.client.at("textDocument/references", URI, 4, 16,
                              context={"includeDeclaration": True})
        self.assertEqual([start(r["range"]) for r in refs], uses)
        refs = self.client.at("textDocument/references", URI, 4, 16,
                              context={"includeDeclaration": False})
        self.assertEqual([start(r["range"]) for r in refs], uses[1:])
        marks = self.client.at("textDocument/documentHighlight", URI, 5, 2)
        self.assertEqual([(start(m["range"]), m["kind"]) for m in marks],
                         [((2, 4), 3), ((3, 7), 2), ((4, 22), 2), ((5, 2), 3), ((5, 6), 2)])
        self.assertIsNone(self.client.at("textDocument/definition", URI, 7, 1))

    def test_symbols_are_the_variables_in_order(self):
        symbols = self.client.request("textDocument/documentSymbol",
                                      {"textDocument": {"uri": URI}})["result"]
        self.assertEqual([(s["name"], s["detail"], start(s["range"])) for s in symbols],
                         [("total", "number", (0, 0)), ("name", "string", (1, 0)),
                          ("i", "number", (2, 0))])


class Completion(unittest.TestCase):
    def labels(self, capabilities, line, character):
        client = session(capabilities)
        client.open(URI, SCRIPT)
        items = client.at("textDocument/completion", URI, line, character)
        client.finish()
        return {(item["label"], item["kind"]): item for item in items}

    def test_keywords_names_and_snippets(self):
        plain = self.labels({}, 8, 0)
        self.assertEqual(sorted(plain), sorted([("print", 14), ("var", 14), ("if", 14),
                                                ("while", 14), ("total", 6), ("name", 6),
                                                ("i", 6)]))
        snippets = self.labels({"textDocument": {"completion": {"completionItem": {
            "snippetSupport": True}}}}, 8, 0)
        self.assertEqual(snippets[("while …", 15)]["insertText"],
                         "while (${1:condition}) {\n\t$0\n}")
        self.assertEqual(len(snippets), len(plain) + 4)
        self.assertEqual(self.labels({}, 1, 13), {})  # inside "Ada"


class CodeActions(unittest.TestCase):
    def fix(self, text, code, line, character, message="", published=False):
        client = session(UTF8)
        diagnostics = client.open(URI, text)
        if published:
            diagnostics = [d for d in diagnostics if d["code"] == code]
            if not diagnostics:
                client.finish()
                self.skipTest("the checker reports no " + code + " yet")
        else:
            point = {"line": line, "character": character}
            diagnostics = [{"range": {"start": point, "end": point}, "code": code,
                            "source": "azuvel", "message": message}]
        actions = client.request("textDocument/codeAction", {
            "textDocument": {"uri": URI}, "range": diagnostics[0]["range"],
            "context": {"diagnostics": diagnostics}})["result"]
        client.finish()
        if not actions:
            return None
        return apply_edits(text, actions[0]["edit"]["changes"][URI])

    def test_quick_fixes(self):
        loop = ("var i = 0;\nwhile (i < 4) {\n  if (i > 1) {\n    var sq = i * i;\n  }\n"
                "  i = i + 1;\n}\n")
        cases = [
            ("var tries = 1;\nprint(trie);\n", "undefined-variable", 1, 6,
             "Undefined variable: trie\nhelp: did you mean 'tries'?",
             "var tries = 1;\nprint(tries);\n"),
            ("var x = 1;\nx += 1;\n", "compound-assignment", 1, 0, "",
             "var x = 1;\nx = x + 1;\n"),
            ("var x = 1;\nx *= x - 2;\n", "compound-assignment", 1, 0, "",
             "var x = 1;\nx = x * (x - 2);\n"),
            # Fixes the checker gives as data: the first is the preferred one.
            ("var a = 1;\nif (a <= 2) { print(a); }\n", "expected-expression", 1, 7, "",
             "var a = 1;\nif ((a < 2) + (a == 2)) { print(a); }\n"),
            ("var a = 1;\nif (a > 0 && a < 3) { print(a); }\n", "expected-rparen", 1, 9, "",
             "var a = 1;\nif ((a > 0) * (a < 3)) { print(a); }\n"),
            ("var a = 1\nprint(a);\n", "expected-semicolon", 0, 9, "", "var a = 1;\nprint(a);\n"),
            ("var total = 1;\nprint(\"Total: \" + total);\n", "expected-comma", 1, 16, "",
             "var total = 1;\nprint(\"Total:\", total);\n"),
            (loop, "var-in-loop", 3, 4, "",
             loop.replace("while", "var sq = 0;\nwhile").replace("var sq = i", "sq = i")),
            ("var i = 0;\nwhile (i < 4) {\n  var s = \"a\";\n  i = i + 1;\n}\n", "var-in-loop",
             2, 2, "", "var i = 0;\nvar s = \"a\";\nwhile (i < 4) {\n  i = i + 1;\n}\n"),
        ]
        for text, code, line, character, message, expected in cases:
            with self.subTest(code=code, text=text):
                self.assertEqual(self.fix(text, code, line, character, message), expected)
        self.assertIsNone(self.fix("var x = 1;\nprint(x);\n", "var-in-loop", 0, 0))
        # A diagnostic the checker does not give on that line gets no fix.
        self.assertIsNone(self.fix("var x = 1;\nx += 1;\n", "compound-assignment", 0, 0))

    def test_fixes_for_published_diagnostics(self):
        self.assertEqual(self.fix("var tries = 1;\nprint(trie);\n", "undefined-variable", 0, 0,
                                  published=True), "var tries = 1;\nprint(tries);\n")
        self.assertEqual(self.fix("var x = 1;\nx += 1;\n", "compound-assignment", 0, 0,
                                  published=True), "var x = 1;\nx = x + 1;\n")
        loop = "var i = 0;\nwhile (i < 2) {\n  var sq = i * i;\n  i = i + 1;\n}\n"
        fixed = loop.replace("while", "var sq = 0;\nwhile").replace("var sq = i", "sq = i")
        self.assertEqual(self.fix(loop, "var-in-loop", 0, 0, published=True), fixed)


class Formatting(unittest.TestCase):
    def format(self, text, capabilities=None, rng=None):
        client = session(capabilities)
        client.open(URI, text)
        params = {"textDocument": {"uri": URI}, "options": {"tabSize": 8, "insertSpaces": False}}
        if rng is not None:
            params["range"] = rng
        answer = client.request("textDocument/rangeFormatting" if rng else "textDocument/formatting",
                                params)
        client.finish()
        return answer

    def test_advertised(self):
        client = session(initialize=False)
        capabilities = client.initialize()["capabilities"]
        self.assertIs(capabilities["documentFormattingProvider"], True)
        self.assertIs(capabilities["documentRangeFormattingProvider"], True)
        client.finish()

    def test_the_edits_lay_the_document_out(self):
        # The editor's tab options change nothing: there is one layout.
        for text, expected in [
                ("var x=1;print( x );if (x) { x = 2; } # done   \n",
                 "var x = 1;\nprint(x);\nif (x) {\n    x = 2;\n} # done\n"),
                ("\r\n\r\n#sg<nel>\r\nprint(1);print(2);",
                 "\r\n#sg<nel>\r\nprint(1);\r\nprint(2);\r\n"),
                ("var y = 1;\n", "var y = 1;\n")]:
            edits = self.format(text, UTF8)["result"]
            self.assertEqual(apply_edits(text, edits), expected)
        self.assertEqual(edits, [])  # a formatted document needs none

    def test_positions_count_utf16_units_by_default(self):
        edits = self.format('print("\U0001F600");print(1);\n')["result"]
        # One edit, the line break after the ";" that follows the emoji's two UTF-16 units.
        self.assertEqual(len(edits), 1)
        self.assertEqual(start(edits[0]["range"]), (0, 12))
        self.assertEqual(edits[0]["newText"], "\n")

    def test_a_range_changes_only_what_it_touches(self):
        text = "var a=1;\nvar b=2;\nvar c=3;\n"
        rng = {"start": {"line": 1, "character": 0}, "end": {"line": 1, "character": 8}}
        edits = self.format(text, UTF8, rng)["result"]
        self.assertEqual(apply_edits(text, edits), "var a=1;\nvar b = 2;\nvar c=3;\n")

    def test_a_range_never_brings_sg_to_the_first_line(self):
        # Joining "var" and its name alone would put the line holding "sg<" first.
        text = "var\nq = \"sg<nel>\";\n"
        rng = {"start": {"line": 0, "character": 3}, "end": {"line": 1, "character": 0}}
        self.assertEqual(self.format(text, UTF8, rng)["result"], [])
        whole = self.format(text, UTF8)["result"]
        self.assertEqual(apply_edits(text, whole), "\nvar q = \"sg<nel>\";\n")

    def test_a_lexical_error_is_refused_with_its_place(self):
        answer = self.format("print(1);\nvar y = 5 @ 2;\n")
        self.assertEqual(answer["error"]["code"], -32803)
        self.assertEqual(answer["error"]["message"],
                         "azuvel-fmt: 2:11: Unknown character: @; left unchanged")

    def test_an_unopened_document_gives_null(self):
        client = session()
        self.assertIsNone(client.request("textDocument/formatting", {
            "textDocument": {"uri": URI}, "options": {}})["result"])
        self.assertEqual(client.request("textDocument/rangeFormatting", {
            "textDocument": {"uri": URI}})["result"], None)
        client.open(URI, "x=1;")
        self.assertEqual(client.request("textDocument/rangeFormatting", {
            "textDocument": {"uri": URI}})["error"]["code"], -32602)  # no range
        client.finish()


if __name__ == "__main__":
    SERVER = sys.argv.pop(1)
    unittest.main(verbosity=1)
