#!/usr/bin/python3
"""Two releases of the same program and data give byte-identical archives and sums, whatever the
files' times and modes and wherever the release is written; the archive holds the folder, and its
program the pins of the data, which the report lists.

    reproducible_archive_test.py TOOL_DIR GIF_FRAMES SAMPLE_DATA_DIR"""

import os
import subprocess
import sys
import time
import unittest
import zipfile

from release_fixtures import Release

TOOL_DIR, GIF_FRAMES, SAMPLE = sys.argv[1:4]
sys.path.insert(0, TOOL_DIR)
import pins  # noqa: E402


class ReproducibleArchive(unittest.TestCase):
    def setUp(self):
        self.release = Release(TOOL_DIR, GIF_FRAMES)
        self.addCleanup(self.release.cleanup)

    def read(self, *path):
        with open(os.path.join(*path), "rb") as f:
            return f.read()

    def commit_time(self):
        run = subprocess.run(["git", "-C", TOOL_DIR, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True)
        return int(run.stdout)

    def test_two_releases_are_identical(self):
        data = self.release.data_folder(SAMPLE)
        first = os.path.join(self.release.work, "first")
        run = self.release.run(data, first)
        self.assertEqual(run.returncode, 0, run.stderr)
        sums = subprocess.run(["sha256sum"] + pins.PINNED_FILES, cwd=data, capture_output=True,
                              text=True, check=True).stdout
        sums += "package-codes msi\n"   # the default: Windows Installer's codes
        self.assertIn("".join("  " + line for line in sums.splitlines(True)), run.stdout)
        self.assertEqual(pins.pins_in_program(os.path.join(first, "Wi-FiSkylark", "Wi-FiSkylark.exe")),
                         sums.encode())

        # What must not matter: when and with which modes the inputs were written, and where to.
        for name in os.listdir(data):
            path = os.path.join(data, name)
            os.chmod(path, 0o600)
            os.utime(path, (time.time() - 86400 * 400,) * 2)
        second = os.path.join(self.release.work, "elsewhere", "second")
        run = self.release.run(data, second)
        self.assertEqual(run.returncode, 0, run.stderr)

        for name in ("Wi-FiSkylark.zip", "SHA256SUMS"):
            self.assertEqual(self.read(first, name), self.read(second, name), name)

        with zipfile.ZipFile(os.path.join(first, "Wi-FiSkylark.zip")) as archive:
            names = archive.namelist()
            self.assertEqual(names, sorted(names))
            expected = ["Wi-FiSkylark/Wi-FiSkylark.exe"] + sorted(
                "Wi-FiSkylark/data/" + n for n in os.listdir(data))
            self.assertEqual(names, expected)
            # Neither now nor the files' times: the commit's, which both runs share.
            commit_time = time.gmtime(self.commit_time())[:6]
            for info in archive.infolist():
                self.assertEqual(archive.read(info), self.read(first, info.filename))
                self.assertEqual(info.external_attr >> 16, 0o100644, info.filename)
                self.assertEqual(info.date_time[:5], commit_time[:5], info.filename)

        check = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=first,
                               capture_output=True, text=True)
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertEqual(len(check.stdout.splitlines()), len(names) + 1)   # the zip too

    def test_the_package_codes_are_recorded_with_the_pins(self):
        data = self.release.data_folder(SAMPLE)
        for codes in ("dpinst", "none"):
            out = os.path.join(self.release.work, codes)
            run = self.release.run(data, out, "--package-codes", codes)
            self.assertEqual(run.returncode, 0, run.stderr)
            held = pins.pins_in_program(os.path.join(out, "Wi-FiSkylark", "Wi-FiSkylark.exe"))
            self.assertTrue(held.endswith(("package-codes %s\n" % codes).encode()), codes)
        run = self.release.run(data, os.path.join(self.release.work, "wix"), "--package-codes", "wix")
        self.assertEqual(run.returncode, 2, run.stderr)

    def test_every_file_is_pinned_and_the_program_built_must_hold_the_pins(self):
        data = self.release.data_folder(SAMPLE)
        os.makedirs(os.path.join(data, "drivers"))
        for name, text in (("drivers/skylark.inf", "[Version]\r\n"), ("readme.txt", "Read me\r\n")):
            with open(os.path.join(data, name), "w") as f:
                f.write(text)
        out = os.path.join(self.release.work, "extras")
        run = self.release.run(data, out)
        self.assertEqual(run.returncode, 0, run.stderr)
        held = pins.pins_in_program(os.path.join(out, "Wi-FiSkylark", "Wi-FiSkylark.exe")).decode()
        names = [line.split("  ", 1)[1] for line in held.splitlines() if "  " in line]
        self.assertEqual(names, pins.PINNED_FILES + ["readme.txt", "drivers/skylark.inf"])

        # A build that holds other pins than those printed: nothing is written.
        changed = os.path.join(self.release.work, "changed")
        run = self.release.run(data, changed, env=dict(os.environ, SKYLARK_TEST_PINS_CHANGED="1"))
        self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
        self.assertIn("does not hold the pins printed", run.stderr)
        self.assertFalse(os.path.exists(changed))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
