#!/usr/bin/python3
"""The release's check of a vendor's data folder, through the tool's command line: each damaged
folder gets its verdict on the right file, and an error stops the release with nothing written.

    data_check_test.py TOOL_DIR GIF_FRAMES SAMPLE_DATA_DIR"""

import io
import os
import sys
import unittest

from PIL import Image

from release_fixtures import AMD64, Release, minimal_pe, table_rows

TOOL_DIR, GIF_FRAMES, SAMPLE = sys.argv[1:4]


def write(name, data):
    def damage(folder):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return damage


def remove(name):
    return lambda folder: os.remove(os.path.join(folder, name))


def picture(name, size, fmt="JPEG", frames=1):
    def damage(folder):
        images = [Image.new("RGB", size, (40 * i, 90, 160)) for i in range(frames)]
        images[0].save(os.path.join(folder, name), fmt, save_all=frames > 1,
                       append_images=images[1:], duration=80)
    return damage


def cut_short(name):
    def damage(folder):
        path = os.path.join(folder, name)
        with open(path, "rb") as f:
            data = f.read()
        with open(path, "wb") as f:
            f.write(data[:len(data) // 2])
    return damage


def png_bytes():
    out = io.BytesIO()
    Image.new("RGB", (600, 398)).save(out, "PNG")
    return out.getvalue()


def no_change(folder):
    pass


UTF8_GREEK_AND_ARROWS = "Licence: Ω → ≠ Ω.\r\n".encode("utf-8")

# (case, damage, file, verdict, words in what was found, extra options)
CASES = [
    ("sample data", no_change, "zv_reset_animation.gif", "ok", "frames", ()),
    ("missing picture", remove("main125DPI.jpg"), "main125DPI.jpg", "error", "missing", ()),
    ("missing package", remove("Skylark48.exe"), "Skylark48.exe", "error", "missing", ()),
    ("picture of the wrong size", picture("main96DPI.jpg", (640, 480)), "main96DPI.jpg", "warning",
     "640x480; stretched to 600x398; aspect ratio off by 11.6%", ()),
    ("picture scaled, same shape", picture("main150DPI.jpg", (1800, 1194)), "main150DPI.jpg",
     "warning", "stretched to 900x597", ()),
    ("PNG named .jpg", write("main150DPI.jpg", png_bytes()), "main150DPI.jpg", "error",
     "not a JPEG (PNG)", ()),
    ("JPEG cut short", cut_short("main96DPI.jpg"), "main96DPI.jpg", "error", "does not decode", ()),
    ("one-frame GIF", picture("zv_reset_animation.gif", (40, 40), "GIF"), "zv_reset_animation.gif",
     "warning", "single frame", ()),
    ("GIF larger than its area", picture("zv_reset_animation.gif", (65, 40), "GIF", frames=3),
     "zv_reset_animation.gif", "warning", "3 frames, delays 80 ms x3; larger than", ()),
    ("GIF over the frames' budget", picture("zv_reset_animation.gif", (4200, 4200), "GIF", frames=2),
     "zv_reset_animation.gif", "warning", "2 frames, delays 80 ms x2; 34 MB decoded, over the wizard's 32 MB", ()),
    ("text as the GIF", write("zv_reset_animation.gif", b"not a picture\r\n"),
     "zv_reset_animation.gif", "error", "the GIF walker finds no image", ()),
    ("64-bit package", write("Skylark48.exe", minimal_pe(AMD64)), "Skylark48.exe", "warning",
     "machine AMD64; cannot start on 32-bit Windows", ()),
    ("text as the package", write("Skylark48.exe", b"@echo off\r\n"), "Skylark48.exe", "error",
     "not a Windows program", ()),
    ("UTF-16 licence", write("License.txt", "\ufeffLicence é\r\n".encode("utf-16-le")),
     "License.txt", "ok", "UTF-16 LE", ()),
    ("UTF-8 licence, code page 1252", write("License.txt", UTF8_GREEK_AND_ARROWS), "License.txt",
     "warning", "4 characters that code page 1252 lacks", ()),
    ("UTF-8 licence, code page 1253", write("License.txt", UTF8_GREEK_AND_ARROWS), "License.txt",
     "warning", "2 characters that code page 1253 lacks", ("--codepage", "1253")),
    ("ANSI licence", write("License.txt", b"Licence \xe9\r\n"), "License.txt", "ok", "ANSI", ()),
    ("empty licence", write("License.txt", b""), "License.txt", "error", "no text", ()),
    ("licence of a mark only", write("License.txt", b"\xef\xbb\xbf"), "License.txt", "error",
     "no text", ()),
    ("file of the vendor's own", write("readme.txt", b"hello"), "readme.txt", "ok",
     "shipped as it is", ()),
]


class DamagedFolders(unittest.TestCase):
    def setUp(self):
        self.release = Release(TOOL_DIR, GIF_FRAMES)
        self.addCleanup(self.release.cleanup)

    def test_each_damage_gets_its_verdict(self):
        for number, (case, damage, name, verdict, found, options) in enumerate(CASES):
            with self.subTest(case):
                folder = self.release.data_folder(SAMPLE, "data-%d" % number)
                damage(folder)
                out = os.path.join(self.release.work, "out-%d" % number)
                run = self.release.run(folder, out, *options)
                rows = table_rows(run.stdout)
                self.assertIn(name, rows, run.stdout + run.stderr)
                self.assertEqual(rows[name][0], verdict, rows[name][1])
                self.assertIn(found, rows[name][1])
                others = [f for f, (v, _) in rows.items() if f != name and v != "ok"]
                self.assertEqual(others, [], run.stdout)
                if verdict == "error":
                    self.assertEqual(run.returncode, 1, run.stderr)
                    self.assertFalse(os.path.exists(out), "an error must leave nothing behind")
                else:
                    self.assertEqual(run.returncode, 0, run.stderr)
                    self.assertTrue(os.path.isfile(os.path.join(out, "Wi-FiSkylark.zip")))


class Refusals(unittest.TestCase):
    """What the tool refuses before it checks anything: a usage error, and nothing written."""

    def setUp(self):
        self.release = Release(TOOL_DIR, GIF_FRAMES)
        self.addCleanup(self.release.cleanup)

    def test_refused_arguments(self):
        data = self.release.data_folder(SAMPLE)
        full = os.path.join(self.release.work, "full")
        os.makedirs(full)
        open(os.path.join(full, "old.zip"), "w").close()
        no_key = {k: v for k, v in os.environ.items() if not k.startswith("SKYLARK_SIGN_")}
        cases = [
            ("out folder not empty", (data, full), None, "not empty"),
            ("out folder inside the data folder", (data, os.path.join(data, "out")), None,
             "inside the data folder"),
            ("no such data folder", (os.path.join(data, "nope"), "new"), None, "not a folder"),
            ("unknown code page", (data, "new", "--codepage", "99999"), None, "code page 99999"),
            ("--sign without a key", (data, "new", "--sign"), no_key, "SKYLARK_SIGN_PKCS12"),
            ("--timestamp without --sign", (data, "new", "--timestamp", "TSA"), None,
             "--timestamp goes with --sign"),
        ]
        for case, args, env, message in cases:
            with self.subTest(case):
                args = [os.path.join(self.release.work, a) if a == "new" else a for a in args]
                run = self.release.run(*args, env=env)
                self.assertEqual(run.returncode, 2, run.stdout + run.stderr)
                self.assertIn(message, run.stderr)
                self.assertEqual(run.stdout, "", "nothing is checked after a refusal")
                self.assertFalse(os.path.exists(os.path.join(self.release.work, "new")))
                self.assertEqual(os.listdir(full), ["old.zip"])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
