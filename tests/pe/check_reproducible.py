#!/usr/bin/env python3
"""Builds the shipped program a second time, in a fresh build folder elsewhere, and compares bytes:

    check_reproducible.py CMAKE SOURCE_DIR TOOLCHAIN_FILE BUILD_TYPE TARGET EXE

Two builds of one commit must give the same image, whatever folder they were built in, so that
anyone can check that a shipped file comes from its sources."""

import os
import shutil
import subprocess
import sys
import tempfile


def main():
    if len(sys.argv) != 7:
        print(__doc__, file=sys.stderr)
        return 2
    cmake, source, toolchain, build_type, target, reference = sys.argv[1:]
    work = tempfile.mkdtemp(prefix="skylark-rebuild-")
    try:
        build = os.path.join(work, "build")
        dist = os.path.join(work, "dist")
        subprocess.run([cmake, "-S", source, "-B", build, "-DCMAKE_TOOLCHAIN_FILE=" + toolchain,
                        "-DCMAKE_BUILD_TYPE=" + build_type, "-DSKYLARK_WINDOWS_TESTS=OFF",
                        "-DSKYLARK_DIST_DIR=" + dist], check=True, stdout=subprocess.DEVNULL)
        subprocess.run([cmake, "--build", build, "--target", target, "-j2"], check=True,
                       stdout=subprocess.DEVNULL)
        rebuilt = os.path.join(dist, os.path.basename(reference))
        with open(reference, "rb") as f:
            first = f.read()
        with open(rebuilt, "rb") as f:
            second = f.read()
        if first == second:
            print("identical: %d bytes" % len(first))
            return 0
        differs = next((i for i, (a, b) in enumerate(zip(first, second)) if a != b), min(len(first), len(second)))
        print("the two builds differ: %d and %d bytes, first difference at offset 0x%x"
              % (len(first), len(second), differs))
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
