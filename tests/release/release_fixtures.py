"""Shared by the release tool's tests: running the tool, and the smallest Windows programs."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

I386, AMD64 = 0x14C, 0x8664
PASSWORD = "throwaway password"


def minimal_pe(machine):
    """Headers only (no sections): enough for a reader of PE headers, nothing to run."""
    plus = machine != I386
    optional_size = 240 if plus else 224
    dos = b"MZ" + bytes(58) + struct.pack("<I", 64)   # e_lfanew: the PE headers follow at 64
    # machine, no sections, no time or symbols, flags: executable, 32-bit words
    coff = struct.pack("<HHIIIHH", machine, 0, 0, 0, 0, optional_size, 0x0102)
    optional = struct.pack("<H", 0x20B if plus else 0x10B) + bytes(optional_size - 2)
    return dos + b"PE\0\0" + coff + optional


FAKE_BUILDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fake_pinned_build.py")


class Release:
    """Runs release.py from tool_dir with gif-frames and a pinned build (by default one that only
    puts the pins behind the smallest program), in a work folder."""

    def __init__(self, tool_dir, gif_frames, builder=FAKE_BUILDER):
        self.tool = os.path.join(tool_dir, "release.py")
        self.gif_frames = gif_frames
        self.builder = builder
        self.work = tempfile.mkdtemp(prefix="skylark-release-test-")

    def cleanup(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def data_folder(self, sample, name="data"):
        """A copy of the sample data with a 32-bit package in it, as the build's folder has."""
        folder = os.path.join(self.work, name)
        shutil.copytree(sample, folder)
        with open(os.path.join(folder, "Skylark48.exe"), "wb") as f:
            f.write(minimal_pe(I386))
        return folder

    def run(self, data_dir, out_dir, *options, env=None):
        env = dict(os.environ if env is None else env)
        env.pop("SOURCE_DATE_EPOCH", None)   # the archive's time is the commit's
        return subprocess.run(
            [sys.executable, self.tool, data_dir, out_dir, "--build-pinned", self.builder,
             "--gif-frames", self.gif_frames, *options],
            capture_output=True, text=True, env=env)


def table_rows(stdout):
    """{file: (verdict, found)} from the table the tool prints."""
    rows = {}
    for line in stdout.splitlines()[1:]:
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[1] in ("ok", "warning", "error"):
            rows[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return rows


def make_certificate(work, name):
    """A self-signed code-signing certificate (work/name.pem) and its PKCS#12 file, whose password
    is PASSWORD. The release tool's folder must be on the path (for signing)."""
    import signing
    key, cert, pkcs12 = (os.path.join(work, name + ext) for ext in (".key", ".pem", ".p12"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=%s" % name, "-addext", "extendedKeyUsage=codeSigning",
                    "-keyout", key, "-out", cert], check=True, capture_output=True)
    env = dict(os.environ, **{signing.PASSWORD_VARIABLE: PASSWORD})
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pkcs12,
                    "-passout", "env:" + signing.PASSWORD_VARIABLE],
                   check=True, capture_output=True, env=env)
    return cert, pkcs12


def windows_path(path):
    return "Z:" + path.replace("/", "\\")
