#!/usr/bin/python3
"""The release's signing, with throwaway certificates made here: the signature verifies against the
vendor's certificate and no other, taking it off gives back the unsigned program byte for byte,
and the signed program still runs under Wine through every page to its Finish page.

    signing_test.py TOOL_DIR PROGRAM WALKTHROUGH WINE_EMULATOR
PROGRAM has data/ beside it; WINE_EMULATOR runs WALKTHROUGH, a Windows program, under Wine."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOL_DIR, PROGRAM, WALKTHROUGH, WINE_EMULATOR = sys.argv[1:5]
sys.path.insert(0, TOOL_DIR)
import signing  # noqa: E402
from release_fixtures import PASSWORD, make_certificate, windows_path  # noqa: E402

class Signing(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="skylark-signing-test-")
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def test_signed_program_verifies_runs_and_unsigns(self):
        vendor_cert, vendor_p12 = make_certificate(self.work, "Throwaway Vendor")
        stranger_cert, _ = make_certificate(self.work, "Someone Else")
        dist = os.path.join(self.work, "dist")
        shutil.copytree(os.path.join(os.path.dirname(PROGRAM), "data"), os.path.join(dist, "data"))
        signed = os.path.join(dist, os.path.basename(PROGRAM))
        shutil.copyfile(PROGRAM, signed)

        os.environ[signing.PKCS12_VARIABLE] = vendor_p12
        os.environ[signing.PASSWORD_VARIABLE] = PASSWORD
        signing.sign(signed)
        self.assertNotEqual(self.read(signed), self.read(PROGRAM))

        for cert, verifies in ((vendor_cert, True), (stranger_cert, False)):
            verify = subprocess.run(["osslsigncode", "verify", "-in", signed, "-CAfile", cert],
                                    capture_output=True, text=True)
            self.assertEqual(verify.returncode == 0, verifies, verify.stdout + verify.stderr)

        unsigned = os.path.join(self.work, "unsigned.exe")
        subprocess.run(["osslsigncode", "remove-signature", "-in", signed, "-out", unsigned],
                       check=True, capture_output=True)
        self.assertEqual(self.read(unsigned), self.read(PROGRAM))

        screens = os.path.join(self.work, "screens")
        os.makedirs(screens)
        walk = subprocess.run(
            [WINE_EMULATOR, WALKTHROUGH, windows_path(dist), windows_path(screens)],
            capture_output=True, text=True)
        self.assertEqual(walk.returncode, 0, walk.stdout + walk.stderr)
        self.assertIn("4-finish.bmp", walk.stdout)

    def test_wrong_password_is_refused(self):
        _, vendor_p12 = make_certificate(self.work, "Throwaway Vendor")
        program = os.path.join(self.work, "program.exe")
        shutil.copyfile(PROGRAM, program)
        os.environ[signing.PKCS12_VARIABLE] = vendor_p12
        os.environ[signing.PASSWORD_VARIABLE] = "not " + PASSWORD
        with self.assertRaises(signing.SigningError):
            signing.sign(program)
        self.assertEqual(self.read(program), self.read(PROGRAM))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
