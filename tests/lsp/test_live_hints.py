"""Live values through the protocol: a scripted client asks azuvel-lsp for inlay hints and
checks what each statement shows (values, counts, never-run lines, an error and its diagnostic,
a cut run), that the hints follow an edit, that a request overtaken by an edit is answered
ContentModified, the refresh request, and the switch that turns live runs off.

    python3 tests/lsp/test_live_hints.py path/to/azuvel-lsp
"""
import json
import sys
import unittest

from lsp_client import Client

SERVER = None
URI = "file:///work/live.az"
REFRESH = {"workspace": {"inlayHint": {"refreshSupport": True}}}
LONG_RUN = "var i = 0;\nwhile (i < 900000) {\n    i = i + 1;\n}\n"
EVERYWHERE = {"start": {"line": 0, "character": 0}, "end": {"line": 1000, "character": 0}}

LOOP = """var i = 0;
var total = 0;
while (i < 10) {
    i = i + 1;
    total = total + i;
    if (i > 7) {
        print("i is", i);
    }
}
if (total > 100) {
    print("big");
}
print(total);
"""


def hints(client, uri=URI, rng=EVERYWHERE):
    answer = client.request("textDocument/inlayHint", {"textDocument": {"uri": uri},
                                                       "range": rng})
    return answer["result"]


def by_line(result):
    """{0-based line: [labels]} with each hint's character checked to follow its statement."""
    lines = {}
    for hint in result:
        assert hint["paddingLeft"] is True, hint
        lines.setdefault(hint["position"]["line"], []).append(hint["label"])
    return lines


def message(method, params, request_id=None):
    body = {"jsonrpc": "2.0", "method": method, "params": params}
    if request_id is not None:
        body["id"] = request_id
    data = json.dumps(body).encode()
    return b"Content-Length: %d\r\n\r\n" % len(data) + data


class LiveHints(unittest.TestCase):
    def setUp(self):
        self.client = Client(SERVER)

    def tearDown(self):
        if self.client.proc.poll() is None:
            self.assertEqual(self.client.finish(), 0)

    def test_values_counts_prints_ifs_and_never_run_lines(self):
        self.assertTrue(self.client.initialize()["capabilities"]["inlayHintProvider"])
        self.client.open(URI, LOOP)
        self.assertEqual(by_line(hints(self.client)), {
            0: ["i = 0"],
            1: ["total = 0"],
            2: ["10 passes"],
            3: ["i = 10 (× 10: 1, 2, 3, …)"],
            4: ["total = 55 (× 10: 1, 3, 6, …)"],
            5: ["taken 3 of 10"],
            6: ['"i is 10" (× 3)'],
            9: ["not taken"],
            10: ["never runs"],
            12: ['"55"'],
        })
        # Each hint stands just after its statement, and a range gives only the hints in it.
        first = hints(self.client, rng={"start": {"line": 3, "character": 0},
                                        "end": {"line": 4, "character": 0}})
        self.assertEqual([(h["position"]["line"], h["position"]["character"]) for h in first],
                         [(3, 14)])
        self.assertEqual(first[0]["tooltip"], "step 33 of this run")

    def test_the_hints_follow_an_edit(self):
        self.client.initialize()
        self.client.open(URI, "var x = 1;\nprint(x);\n")
        self.assertEqual(by_line(hints(self.client)), {0: ["x = 1"], 1: ['"1"']})
        self.client.change(URI, "var x = 2;\nx = x * 3.5;\nprint(x);\n", 2)
        self.assertEqual(by_line(hints(self.client)),
                         {0: ["x = 2"], 1: ["x = 7"], 2: ['"7"']})

    def test_an_error_is_a_hint_and_a_diagnostic(self):
        self.client.initialize(REFRESH)
        text = "var n = 3;\nwhile (n > 0) {\n    n = n - 1;\n}\nvar r = 10 / n;\nprint(r);\n"
        self.assertEqual(self.client.open(URI, text), [])  # the checker finds nothing
        self.assertEqual(by_line(hints(self.client)), {
            0: ["n = 3"], 1: ["3 passes"], 2: ["n = 0 (× 3: 2, 1, 0)"],
            4: ["this run stops here: Division by zero"], 5: ["never runs"]})
        diagnostics = self.client.diagnostics(URI)
        self.assertEqual(diagnostics, [{
            "range": {"start": {"line": 4, "character": 0}, "end": {"line": 4, "character": 15}},
            "severity": 1, "code": "live-run-stops", "source": "azuvel-live",
            "message": "this run stops here: Division by zero"}])

    def test_no_run_diagnostic_beside_a_checker_error(self):
        self.client.initialize(REFRESH)
        text = "var a = 1 / 0;\nprint(a);\n"
        checker = self.client.open(URI, text)
        self.assertTrue(any(d["severity"] == 1 for d in checker), checker)
        self.assertEqual(by_line(hints(self.client)),
                         {0: ["this run stops here: Division by zero"], 1: ["never runs"]})
        # The run's end is told by the refresh request; no diagnostics came before it.
        while True:
            got = self.client.notifications.pop(0) if self.client.notifications \
                else self.client.read()
            self.assertNotEqual(got.get("method"), "textDocument/publishDiagnostics", got)
            if got.get("method") == "workspace/inlayHint/refresh":
                self.client.send({"jsonrpc": "2.0", "id": got["id"], "result": None})
                break

    def initialize_with(self, options):
        self.client.request("initialize", {"processId": None, "rootUri": None, "capabilities": {},
                                           "initializationOptions": options})
        self.client.notify("initialized")

    def test_a_run_cut_by_the_step_budget_or_the_time_limit(self):
        endless = "var i = 0;\nwhile (1) {\n    i = i + 1;\n}\nprint(i);\n"
        self.initialize_with({"liveMaxSteps": 1000})
        self.client.open(URI, endless)
        self.assertEqual(by_line(hints(self.client)), {
            0: ["i = 0"], 1: ["998 passes"],
            2: ["i = 998 (× 998: 1, 2, 3, …)", "stopped after 1,000 steps"]})
        self.assertEqual(self.client.finish(), 0)
        self.client = Client(SERVER)
        self.initialize_with({"liveMaxSteps": 10 ** 12, "liveMaxMilliseconds": 1})
        self.client.open(URI, endless)
        stops = [h["label"] for h in hints(self.client) if h["label"].startswith("stopped")]
        self.assertEqual(len(stops), 1, stops)
        self.assertRegex(stops[0], r"^stopped after 1 ms \([0-9,]+ steps\)$")

    def test_a_request_overtaken_by_an_edit_is_content_modified(self):
        self.client.initialize()
        # All in one write: the request waits for a long run, and the edit comes before it ends.
        self.client.send_raw(
            message("textDocument/didOpen", {"textDocument": {
                "uri": URI, "languageId": "azuvel", "version": 1, "text": LONG_RUN}})
            + message("textDocument/inlayHint", {"textDocument": {"uri": URI},
                                                 "range": EVERYWHERE}, 77)
            + message("textDocument/didChange", {"textDocument": {"uri": URI, "version": 2},
                                                 "contentChanges": [{"text": "var j = 4;\n"}]}))
        self.assertEqual(self.client.response(77)["error"]["code"], -32801)
        self.assertEqual(by_line(hints(self.client)), {0: ["j = 4"]})

    def test_refresh_only_for_a_client_that_takes_it(self):
        self.client.initialize(REFRESH)
        self.client.open(URI, "var a = 1;\n")
        refresh = self.client.read()
        self.assertEqual(refresh["method"], "workspace/inlayHint/refresh")
        self.client.send({"jsonrpc": "2.0", "id": refresh["id"], "result": None})
        self.assertEqual(by_line(hints(self.client)), {0: ["a = 1"]})
        plain = Client(SERVER)
        plain.initialize()
        plain.open(URI, "var a = 1;\n")
        self.assertEqual(by_line(hints(plain)), {0: ["a = 1"]})
        plain.request("shutdown")
        self.assertTrue(all(m.get("method") != "workspace/inlayHint/refresh"
                            for m in plain.notifications), plain.notifications)
        plain.notify("exit")
        self.assertEqual(plain.close(), 0)

    def test_live_values_can_be_turned_off_and_on(self):
        self.initialize_with({"liveValues": False})
        self.client.open(URI, "var z = 2;\n")
        self.assertEqual(hints(self.client), [])
        self.client.notify("workspace/didChangeConfiguration",
                           {"settings": {"azuvel": {"liveValues": True}}})
        self.assertEqual(by_line(hints(self.client)), {0: ["z = 2"]})
        # Turned off while a long run goes on: nothing of it is shown.
        self.client.send_raw(
            message("textDocument/didChange", {"textDocument": {"uri": URI, "version": 2},
                                               "contentChanges": [{"text": LONG_RUN}]})
            + message("workspace/didChangeConfiguration",
                      {"settings": {"azuvel": {"liveValues": False}}})
            + message("textDocument/inlayHint", {"textDocument": {"uri": URI},
                                                 "range": EVERYWHERE}, 78))
        self.assertEqual(self.client.response(78)["result"], [])
        self.assertEqual(hints(self.client), [])

    def test_columns_in_utf16(self):
        self.client.initialize()
        self.client.open(URI, 'var s = "é😀";\nprint(s);\n')
        result = hints(self.client)
        self.assertEqual([(h["position"]["line"], h["position"]["character"], h["label"])
                          for h in result],
                         [(0, 14, 's = "é😀"'), (1, 9, '"é😀"')])


if __name__ == "__main__":
    SERVER = sys.argv.pop(1)
    unittest.main(verbosity=1)
