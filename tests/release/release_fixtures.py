"""Shared by the release tool's tests: running the tool, and the smallest Windows programs."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

I386, AMD64 = 0x14C, 0x8664


def minimal_pe(machine):
    """Headers only (no sections): enough for a reader of PE headers, nothing to run."""
    plus = machine != I386
    optional_size = 240 if plus else 224
    dos = b"MZ" + bytes(58) + struct.pack("<I", 64)   # e_lfanew: the PE headers follow at 64
    # machine, no sections, no time or symbols, flags: executable, 32-bit words
    coff = struct.pack("<HHIIIHH", machine, 0, 0, 0, 0, optional_size, 0x0102)
    optional = struct.pack("<H", 0x20B if plus else 0x10B) + bytes(optional_size - 2)
    return dos + b"PE\0\0" + coff + optional


class Release:
    """Runs release.py from tool_dir with a given program and gif-frames, in a work folder."""

    def __init__(self, tool_dir, gif_frames):
        self.tool = os.path.join(tool_dir, "release.py")
        self.gif_frames = gif_frames
        self.work = tempfile.mkdtemp(prefix="skylark-release-test-")
        self.program = os.path.join(self.work, "Wi-FiSkylark.exe")
        with open(self.program, "wb") as f:
            f.write(minimal_pe(I386))

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
            [sys.executable, self.tool, data_dir, out_dir, "--program", self.program,
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
