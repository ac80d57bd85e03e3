#!/usr/bin/env python3
"""Python's hashlib over the lengths the SHA-256 tests check, for a second opinion made at build
time: one line a length, "<length> <hex digest>", of the bytes (i * 31 + 7) mod 256."""
import hashlib
import sys

LENGTHS = list(range(0, 130)) + [1000, 4095, 4096, 65537, (1 << 20) + 3]
data = bytes((i * 31 + 7) & 0xFF for i in range(max(LENGTHS)))
with open(sys.argv[1], "w") as out:
    for n in LENGTHS:
        out.write("%d %s\n" % (n, hashlib.sha256(data[:n]).hexdigest()))
