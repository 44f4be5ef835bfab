#!/usr/bin/env python3
"""scripts/texts.py against source shapes the code uses: what it collects, what it refuses,
and what it leaves alone, and its placeholder comparison."""
import importlib.util
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location(
    "texts", os.path.join(HERE, "..", "..", "scripts", "texts.py"))
texts = importlib.util.module_from_spec(spec)
spec.loader.exec_module(texts)

SOURCE = r'''// LookupText("Comment", "Key", "in a comment")
/* Text("Block", "Key",
   "in a block comment") */
QString Text(const char* section, const char* key, const char* fallback);
QString a = Text("Label", "Warning", "Warning");
auto b = meridane::LookupText("Msg", "Long",
                              "first line\n"
                              "tab\there \"quoted\" \\ \xC2\xB0 \101");
static const TextId kT[] = {TextId{"Tbl", "K", "From a table"}, {"Tbl", "Other", "x"}};
label->setText(x);  ok.LabelText("a", "b", "c");  page->Text("a", "b", "c");
Text(page, 20, 20, 12, title);
return LookupText(t.section, t.key, t.fallback);  // dynamic text
QString s = Text("Label", key, key);
std::string t = LookupText(R"(Raw)", "K", "Percentage (%)");
'''


class Extract(unittest.TestCase):
    def setUp(self):
        folder = tempfile.mkdtemp()
        self.path = os.path.join(folder, "x.cpp")
        with open(self.path, "w", encoding="utf-8") as f:
            f.write(SOURCE)

    def test_literal_lookups_collected_and_the_rest_refused_or_left_alone(self):
        entries, errors = texts.scan_file(self.path, "x.cpp")
        self.assertEqual(entries, [
            ("Label|Warning", "Warning", "x.cpp:5"),
            ("Msg|Long", 'first line\ntab\there "quoted" \\ \u00b0 A', "x.cpp:6"),
            ("Tbl|K", "From a table", "x.cpp:9"),
            ("Raw|K", "Percentage (%)", "x.cpp:14"),
        ])
        self.assertEqual(len(errors), 1)
        self.assertTrue(errors[0].startswith("x.cpp:13:"), errors)

    def test_placeholders_and_flags(self):
        cases = [
            ("Percentage (%)", [], []),
            ("%d of %s done, 100%%", ["%d", "%s"], ["c-format"]),
            ("Records read: %1 of %2", ["%1", "%2"], ["qt-format"]),
            ("Patient {name} saved", ["{name}"], []),
            ("%02d/%02d/%04d", ["%02d", "%02d", "%04d"], ["c-format"]),
        ]
        for text, marks, flags in cases:
            self.assertEqual(texts.placeholders(text), sorted(marks), text)
            self.assertEqual(texts.flags(text), flags, text)
        # Reordered placeholders are the same multiset; a lost one is not.
        self.assertEqual(texts.placeholders("%2 von %1"), texts.placeholders("%1 of %2"))
        self.assertNotEqual(texts.placeholders("{n} Werte"), texts.placeholders("{n} of {m}"))

    def test_pot_reads_back_as_written(self):
        entries = [texts.Entry("A|B", 'two\nlines "q"', ["x.cpp:1"]),
                   texts.Entry("A|C", "one", ["x.cpp:2", "y.cpp:3"])]
        pot = os.path.join(os.path.dirname(self.path), "t.pot")
        with open(pot, "w", encoding="utf-8") as f:
            f.write(texts.pot_text(entries))
        self.assertEqual([(e.context, e.msgid) for e in texts.read_po(pot)],
                         [("A|B", 'two\nlines "q"'), ("A|C", "one")])


if __name__ == "__main__":
    sys.exit(unittest.main())
