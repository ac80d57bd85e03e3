#!/usr/bin/python3
"""Stands in for scripts/build-pinned in the release tool's tests: "builds" the program as the
smallest 32-bit PE followed by the pins, beside the pins file, and prints its path.

    fake_pinned_build.py PINS_FILE"""

import os
import sys

from release_fixtures import I386, minimal_pe

pins_file = sys.argv[1]
program = os.path.join(os.path.dirname(pins_file), "Wi-FiSkylark.exe")
with open(pins_file, "rb") as f, open(program, "wb") as out:
    out.write(minimal_pe(I386) + f.read())
print(program)
