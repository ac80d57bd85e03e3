#!/usr/bin/python3
"""The release's pins: the SHA-256 of every file of the data folder, in sha256sum's format (the
files the wizard uses first, then the rest, which the package may bring), and what the package's
exit codes mean, for the program's pins resource (res/setup.rc). A program built with them uses a
data file only when it matches its pin. Also run by the build, for the tests' released programs:

    pins.py DATA_DIR OUT_FILE [--package PATH] [--package-codes msi|dpinst|none]

--package: the package's file, where it is not DATA_DIR/Skylark48.exe. OUT_FILE is written only
when its text changes, so that an unchanged release does not build the program again."""

import argparse
import os
import sys

import archive
import data_check

PINNED_FILES = ([data_check.LICENCE] + [name for name, _ in data_check.BACKGROUNDS]
                + [data_check.ANIMATION, data_check.PACKAGE])


# How the package says what it did: Windows Installer's codes (0, 3010, 1641, ...), the Windows
# driver installer's bit mask, or nothing the wizard reads.
PACKAGE_CODES = ("msi", "dpinst", "none")


# Where a released program holds its pins: RCDATA 200 (IDR_RELEASE_PINS in res/resource.h).
PINS_RESOURCE_ID = 200
RT_RCDATA = 10


def pinned_names(data_dir):
    """The files the wizard uses, then every other file of the data folder ("sub/file")."""
    return PINNED_FILES + data_check.other_files(data_dir, PINNED_FILES)


def pins_text(data_dir, package=None, package_codes="msi"):
    lines = []
    for name in pinned_names(data_dir):
        path = package if name == data_check.PACKAGE and package else os.path.join(data_dir, name)
        lines.append("%s  %s\n" % (archive.sha256_of(path), name))
    lines.append("package-codes %s\n" % package_codes)
    return "".join(lines)


def pins_in_program(path):
    """The pins resource of a built program, as bytes; None when it has none."""
    import pefile

    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    for kind in getattr(getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None), "entries", []):
        if kind.id != RT_RCDATA:
            continue
        for entry in kind.directory.entries:
            if entry.id == PINS_RESOURCE_ID and entry.directory.entries:
                data = entry.directory.entries[0].data.struct
                return pe.get_data(data.OffsetToData, data.Size)
    return None


def write_if_changed(path, text):
    if os.path.isfile(path):
        with open(path, newline="") as f:
            if f.read() == text:
                return
    with open(path, "w", newline="\n") as out:
        out.write(text)


def main(argv):
    parser = argparse.ArgumentParser(prog="pins", description=__doc__.split("\n")[0])
    parser.add_argument("data_dir")
    parser.add_argument("out_file")
    parser.add_argument("--package")
    parser.add_argument("--package-codes", choices=PACKAGE_CODES, default="msi")
    args = parser.parse_args(argv)
    write_if_changed(args.out_file, pins_text(args.data_dir, args.package, args.package_codes))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
