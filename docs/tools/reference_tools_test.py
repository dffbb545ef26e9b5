#!/usr/bin/env python3
"""The reference's checks catch what they are for: a member, parameter or
default of the type library's source that the pages name differently or miss,
and a runnable example without the output it must print."""

import pathlib
import re
import shutil
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import doc_examples  # noqa: E402
import reference_blocks  # noqa: E402


class ReferenceCheck(unittest.TestCase):
    def setUp(self):
        self.dir = pathlib.Path(tempfile.mkdtemp())
        self.pages = self.dir / "reference"
        shutil.copytree(reference_blocks.PAGES, self.pages)
        self.idl = self.dir / "TarnLib.idl"
        self.source = reference_blocks.IDL.read_text(encoding="cp1252")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def problems_with(self, old, new):
        self.assertIn(old, self.source)
        self.idl.write_text(self.source.replace(old, new, 1), encoding="cp1252")
        return reference_blocks.run(False, self.idl, self.pages)

    def test_the_pages_match_the_type_library(self):
        self.idl.write_text(self.source, encoding="cp1252")
        self.assertEqual(reference_blocks.run(False, self.idl, self.pages), [])

    def test_a_change_of_the_type_library_is_found(self):
        cases = [
            ("renamed parameter", "[in] BSTR Source, [in] BSTR Match,\n                                    [in, optional, defaultvalue(-1)] VARIANT_BOOL Exact",
             "[in] BSTR Source, [in] BSTR Match,\n                                    [in, optional, defaultvalue(-1)] VARIANT_BOOL Precise",
             "_StringFunction.CountStringInString"),
            ("changed default", "defaultvalue(-1)] VARIANT_BOOL Exact", "defaultvalue(0)] VARIANT_BOOL Exact",
             "_StringFunction.CountStringInString"),
            ("by value becomes by reference", "HRESULT Key([in] long Index,", "HRESULT Key([in, out] long* Index,",
             "_ExCollection.Key"),
            ("optional becomes required", "[in, optional, defaultvalue(\"\")] BSTR Key,", "[in] BSTR Key,",
             "_CRegSettings.DeleteSetting"),
            ("new dispatch id", "[id(0x60030002), helpstring(\"Ritorna il numero di secondi",
             "[id(0x60030003), helpstring(\"Ritorna il numero di secondi", "_TimeUtility.SecFrom1970"),
        ]
        for name, old, new, key in cases:
            with self.subTest(name):
                problems = self.problems_with(old, new)
                self.assertTrue(any(key in p and "differs" in p for p in problems), problems)

    def test_a_renamed_or_new_member_is_found(self):
        problems = self.problems_with("HRESULT HostByAddr(", "HRESULT HostByAddress(")
        self.assertIn("Network.md: no section for _Network.HostByAddress", problems)
        self.assertIn("Network.md: a section for _Network.HostByAddr, which the type library does not have", problems)

    def test_a_member_described_twice_is_found(self):
        page = self.pages / "Network.md"
        text = page.read_text(encoding="utf-8")
        start = text.index("### HostByAddr")
        page.write_text(text + "\n" + text[start:], encoding="utf-8")
        self.idl.write_text(self.source, encoding="cp1252")
        self.assertIn("Network.md: two sections for _Network.HostByAddr",
                      reference_blocks.run(False, self.idl, self.pages))

    def test_a_section_without_errors_or_example_is_found(self):
        page = self.pages / "TimeUtility.md"
        text = page.read_text(encoding="utf-8")
        start = text.index("### isLeapYear")
        end = text.index("### SecFrom1970")
        block_end = text.index("<!-- END GENERATED -->\n", start) + len("<!-- END GENERATED -->\n")
        page.write_text(text[:block_end] + "\nLeap years.\n\n" + text[end:], encoding="utf-8")
        self.idl.write_text(self.source, encoding="cp1252")
        problems = reference_blocks.run(False, self.idl, self.pages)
        self.assertEqual(problems, ["TimeUtility.md: _TimeUtility.isLeapYear has no **Errors** paragraph",
                                    "TimeUtility.md: _TimeUtility.isLeapYear has no example"])


class Examples(unittest.TestCase):
    def extract(self, markdown):
        with tempfile.TemporaryDirectory() as docs:
            page = pathlib.Path(docs) / "page.md"
            page.write_text(markdown, encoding="utf-8")
            return list(doc_examples.examples(page))

    def test_each_script_takes_the_output_block_after_it(self):
        found = self.extract("text\n\n```vbscript\nWScript.Echo 1\n```\n\n```output\n1\n```\n\n"
                             "```vb\nshown only\n```\n\n```jscript\nWScript.Echo(2);\n```\n```output\n2\n\n```\n")
        self.assertEqual(found, [("vbscript", 4, ["WScript.Echo 1"], ["1"]),
                                 ("jscript", 16, ["WScript.Echo(2);"], ["2", ""])])

    def test_a_script_without_its_output_is_refused(self):
        for markdown in ("```vbscript\nWScript.Echo 1\n```\n",
                         "```vbscript\nWScript.Echo 1\n```\n\nprose between\n\n```output\n1\n```\n",
                         "```jscript\nWScript.Echo(1);\n```\n```vb\nx\n```\n"):
            with self.subTest(markdown):
                with self.assertRaises(SystemExit):
                    self.extract(markdown)

    def test_one_process_keeps_the_examples_apart(self):
        first = doc_examples.Example(1, "vbscript", "a:1", ["x = 1", "WScript.Echo Twice(x)",
                                                            "Function Twice(n)", "  Twice = 2 * n", "End Function"], [])
        second = doc_examples.Example(2, "vbscript", "a:9", ["Dim x", "WScript.Echo x"], [])
        script = doc_examples.combined_script("vbscript", [first, second]).split("\r\n")
        self.assertEqual(script[1:12], ["Sub Example1()", "x = 1", "WScript.Echo Twice(x)", "End Sub",
                                        "Function Twice(n)", "  Twice = 2 * n", "End Function",
                                        "Sub Example2()", "Dim x", "WScript.Echo x", "End Sub"])
        js = doc_examples.combined_script("jscript", [doc_examples.Example(3, "jscript", "b:1", ["var x = 1;"], [])])
        self.assertIn('WScript.Echo("-- example 3 --");\r\n(function () {\r\nvar x = 1;\r\n})();', js)

    def test_the_output_is_split_by_example(self):
        printed, finished = doc_examples.sections(
            ["script host: x", "-- example 1 --", "a", "", "-- example 2 --", "-- example 3 --", "b"])
        self.assertEqual(printed, {1: ["a", ""], 2: [], 3: ["b"]})
        self.assertFalse(finished)
        self.assertTrue(doc_examples.sections(["-- example 1 --", doc_examples.END])[1])

    def test_a_difference_is_reported_with_its_origin(self):
        report = []
        ex = doc_examples.Example(1, "vbscript", "page.md:7", [], ["True", "2"])
        doc_examples.compare(ex, ["True", "2", ""], report)
        doc_examples.compare(ex, ["-1", "2"], report)
        self.assertEqual(report[0], (True, "ok - page.md:7"))
        self.assertFalse(report[1][0])
        self.assertIn("page.md:7", report[1][1])
        self.assertIn("-True", report[1][1])
        self.assertIn("+-1", report[1][1])

def slug(heading):
    """The anchor a markdown renderer gives a heading."""
    text = re.sub(r"[^\w\- ]", "", heading.strip().lower())
    return text.replace(" ", "-")


class Links(unittest.TestCase):
    def test_every_relative_link_of_the_documentation_leads_somewhere(self):
        root = reference_blocks.ROOT
        pages = doc_examples.pages() + [root / "README.md"]
        for page in pages:
            text = page.read_text(encoding="utf-8")
            for target in re.findall(r"\]\(([^)\s]+)\)", text):
                if re.match(r"^[a-z]+:", target):
                    continue
                with self.subTest(page=page.name, link=target):
                    path, _, anchor = target.partition("#")
                    linked = (page.parent / path).resolve() if path else page
                    self.assertTrue(linked.is_file(), target)
                    if anchor:
                        headings = re.findall(r"^#+ (.+)$", linked.read_text(encoding="utf-8"), re.M)
                        self.assertIn(anchor, [slug(h) for h in headings])


if __name__ == "__main__":
    unittest.main()
