#!/usr/bin/python3
"""A real release: release.py with scripts/build-pinned, signed with a throwaway certificate. The
program holds the data's pins as a resource, under its signature (a pin changed breaks it), and the
vendor's language file in place of the shipped one; the released folder walks under Wine through
every page to Finish; two unsigned releases are identical (a signature holds its signing time).

    pinned_release_test.py TOOL_DIR GIF_FRAMES DATA_DIR BUILDER WALKTHROUGH WINE_EMULATOR
DATA_DIR holds the tests' stand-in package, as the build's data folder does."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOL_DIR, GIF_FRAMES, DATA_DIR, BUILDER, WALKTHROUGH, WINE_EMULATOR = sys.argv[1:7]
sys.path.insert(0, TOOL_DIR)
import pins  # noqa: E402
import signing  # noqa: E402
from release_fixtures import PASSWORD, Release, make_certificate, windows_path  # noqa: E402


class PinnedRelease(unittest.TestCase):
    def test_release_pins_signs_walks_and_repeats(self):
        work = tempfile.mkdtemp(prefix="skylark-pinned-release-")
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        vendor_cert, vendor_p12 = make_certificate(work, "Throwaway Vendor")
        env = dict(os.environ, SKYLARK_RELEASE_BUILD_DIR=os.path.join(work, "build"),
                   **{signing.PKCS12_VARIABLE: vendor_p12, signing.PASSWORD_VARIABLE: PASSWORD})
        release = Release(TOOL_DIR, GIF_FRAMES, builder=BUILDER)
        self.addCleanup(release.cleanup)

        # The signed release speaks the vendor's German: its Next is theirs.
        vendor = os.path.join(work, "languages")
        os.makedirs(vendor)
        with open(os.path.join(TOOL_DIR, "..", "..", "res", "languages", "de.txt"), "rb") as f:
            german = f.read().replace(b"next = Weiter\n", b"next = Los\n")
        with open(os.path.join(vendor, "de.txt"), "wb") as f:
            f.write(german)
        language_check = os.path.join(os.path.dirname(os.path.dirname(GIF_FRAMES)), "language-check", "language-check")
        signed = ["--sign", "--languages", vendor, "--language-check", language_check]

        outs = [os.path.join(work, name) for name in ("first", "second", "signed")]
        for out in outs:
            run = release.run(DATA_DIR, out, *(signed if out == outs[2] else []), env=env)
            self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        for name in ("Wi-FiSkylark.zip", "SHA256SUMS"):
            with open(os.path.join(outs[0], name), "rb") as a, open(os.path.join(outs[1], name), "rb") as b:
                self.assertEqual(a.read(), b.read(), name)

        folder = os.path.join(outs[2], "Wi-FiSkylark")
        program = os.path.join(folder, "Wi-FiSkylark.exe")
        with open(program, "rb") as f:
            image = bytearray(f.read())
        offset = image.find(pins.pins_text(DATA_DIR).encode())   # the pins resource, whole
        self.assertGreater(offset, 0, "the program does not hold the data's pins")
        self.assertGreater(image.find(german), 0, "the program does not hold the vendor's German")

        screens = os.path.join(work, "screens")
        os.makedirs(screens)
        walk = subprocess.run([WINE_EMULATOR, WALKTHROUGH, windows_path(folder), windows_path(screens)],
                              capture_output=True, text=True)
        self.assertEqual(walk.returncode, 0, walk.stdout + walk.stderr)
        self.assertIn("4-finish.bmp", walk.stdout)

        verify = ["osslsigncode", "verify", "-CAfile", vendor_cert]
        self.assertEqual(subprocess.run(verify + ["-in", program], capture_output=True).returncode, 0)
        image[offset] = ord("0") if image[offset] != ord("0") else ord("1")
        changed = os.path.join(work, "changed.exe")
        with open(changed, "wb") as f:
            f.write(image)
        self.assertNotEqual(subprocess.run(verify + ["-in", changed], capture_output=True).returncode, 0,
                            "a pin changed and the signature still verifies")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
