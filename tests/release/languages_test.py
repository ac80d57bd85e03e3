#!/usr/bin/python3
"""The release's check of a vendor's languages, with the wizard's own parser (language-check): each
broken file is refused naming its language and key; the list for the program keeps every shipped
language the vendor's do not replace.

    languages_test.py TOOL_DIR LANGUAGE_CHECK SHIPPED_LANGUAGES_DIR"""

import os
import shutil
import sys
import tempfile
import unittest

TOOL_DIR, LANGUAGE_CHECK, SHIPPED = sys.argv[1:4]
sys.path.insert(0, TOOL_DIR)
import languages  # noqa: E402


def german(old="", new=""):
    with open(os.path.join(SHIPPED, "de.txt"), encoding="utf-8") as f:
        return f.read().replace(old, new).encode("utf-8") if old else f.read().encode("utf-8")


class VendorLanguages(unittest.TestCase):
    def folder(self, files):
        folder = tempfile.mkdtemp(prefix="skylark-languages-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        return folder

    def test_each_broken_file_is_named_by_its_language_and_key(self):
        cases = [
            ("a key missing", {"de.txt": german("next = Weiter\n", "")}, "de: \"next\" is missing"),
            ("an unknown key", {"de.txt": german("next = Weiter\n", "next = Weiter\nnexte = x\n")},
             "unknown key \"nexte\""),
            ("not UTF-8", {"de.txt": german("Weiter", "W\xe9iter").replace(b"W\xc3\xa9iter", b"W\xe9iter")},
             "de: the file is not valid UTF-8"),
            ("a button too narrow for its text",
             {"de.txt": german("next = Weiter\n", "next = Weiter zum Lizenzvertrag\n")},
             "de: next does not fit"),
            ("a heading of two lines in a box of one",
             {"de.txt": german("welcome_title = Willkommen\n", "welcome_title = Herzlich willkommen hier\n")},
             "de: welcome_title does not fit"),
            ("a name that is no tag", {"deutsch.txt": german()}, "deutsch: the file's name is not a language tag"),
            ("another kind of file", {"de.txt": german(), "notes.md": b"x"}, "notes.md: not a language file"),
        ]
        for name, files, expected in cases:
            _, problems = languages.check_folder(self.folder(files), LANGUAGE_CHECK)
            self.assertTrue(any(expected in p for p in problems), "%s: %s" % (name, problems))

    def test_a_vendors_file_replaces_the_shipped_one_and_adds_to_the_rest(self):
        de = german("next = Weiter\n", "next = Los\n")
        folder = self.folder({"de.txt": de, "pt-BR.txt": german()})
        report, problems = languages.check_folder(folder, LANGUAGE_CHECK)
        self.assertEqual(problems, [])
        self.assertIn("de (the vendor's, in place of the shipped one)", report)
        self.assertIn("pt-BR (the vendor's)", report)
        self.assertIn("ja (shipped)", report)
        work = self.folder({})
        languages.write_resources(languages.vendor_files(folder), work)
        with open(os.path.join(work, "release_languages.rc"), encoding="ascii") as rc:
            entries = rc.read().splitlines()
        self.assertEqual(len(entries), 9)
        self.assertIn('PT-BR WIZARD_TEXTS "release-languages/pt-BR.txt"', entries)
        with open(os.path.join(work, "release-languages", "de.txt"), "rb") as f:
            self.assertEqual(f.read(), de)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
