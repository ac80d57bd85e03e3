#!/usr/bin/env python3
"""Checks the shipped 32-bit image by reading it, as the loader and Explorer would:

    check_image.py EXE ALLOW_LIST

Headers, imports and resources (manifest, version information) as pefile reads them. Every finding
is printed; the exit code is 1 if any."""

import sys
import xml.etree.ElementTree as ET

import pefile

from shipped_image import Findings, open_image, resources

RT_VERSION = 16
RT_MANIFEST = 24

ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
WINDOWS_SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"

EXPECTED_VERSION_STRINGS = {
    "ProductName": "11ac Dual-Band Wi-Fi Skylark 48 Set-up",
    "OriginalFilename": "Wi-FiSkylark.exe",
    "FileVersion": "1.0.0.0",
    "ProductVersion": "1.0.0.0",
}
EXPECTED_VERSION = (1, 0, 0, 0)


def header_fields(image):
    """The loader's view: machine, PE32 or PE32+, subsystem and its version, DLL characteristics."""
    header = image.OPTIONAL_HEADER
    flags = {name[len("IMAGE_DLLCHARACTERISTICS_"):] for name, value in pefile.dll_characteristics
             if header.DllCharacteristics & value}
    return header, flags


def imports(image):
    """[(DLL, function)], "#n" for an import by ordinal."""
    found = []
    for dll in getattr(image, "DIRECTORY_ENTRY_IMPORT", ()):
        for entry in dll.imports:
            name = "#%d" % entry.ordinal if entry.import_by_ordinal else entry.name.decode("ascii")
            found.append((dll.dll.decode("ascii"), name))
    return found


def version_info(image):
    """((file version, product version) from VS_FIXEDFILEINFO, or None; {key: text} of the strings)."""
    fixed = None
    if getattr(image, "VS_FIXEDFILEINFO", None):
        info = image.VS_FIXEDFILEINFO[0]

        def parts(ms, ls):
            return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

        if info.Signature == 0xFEEF04BD:
            fixed = (parts(info.FileVersionMS, info.FileVersionLS),
                     parts(info.ProductVersionMS, info.ProductVersionLS))
    strings = {}
    for info in getattr(image, "FileInfo", ()):
        for block in info:
            for table in getattr(block, "StringTable", ()):
                for key, value in table.entries.items():
                    strings[key.decode("utf-8")] = value.decode("utf-8")
    return fixed, strings


def read_allow_list(path):
    """Lines "DLL function" ("#n" for an import by ordinal); lines starting with "#" are comments."""
    allowed = set()
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            parts = line.split()
            if len(parts) != 2:
                raise ValueError("%s:%d: want 'DLL function'" % (path, number))
            allowed.add((parts[0].lower(), parts[1]))
    return allowed


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    exe, allow_path = sys.argv[1:]
    findings = Findings()
    expect = findings.expect

    image = open_image(exe)
    if image is None:
        return 1
    header, flags = header_fields(image)
    machine = image.FILE_HEADER.Machine
    timestamp = image.FILE_HEADER.TimeDateStamp

    expect(machine == 0x14C, "machine i386 (0x%x)" % machine)
    expect(header.Magic == 0x10B, "PE32 (magic %04x)" % header.Magic)
    expect(header.Subsystem == 2, "Windows GUI subsystem (%d)" % header.Subsystem)
    subsystem = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
    expect(subsystem == (5, 1), "subsystem version 5.01, which XP loads (%d.%02d)" % subsystem)
    expect({"DYNAMIC_BASE", "NX_COMPAT"} <= flags, "DYNAMIC_BASE and NX_COMPAT (%s)" % " ".join(sorted(flags)))
    expect(timestamp == 0, "time stamp 0, for reproducible builds (%d)" % timestamp)

    allowed = read_allow_list(allow_path)
    allowed_dlls = {dll for dll, _ in allowed}
    imported = imports(image)
    expect(bool(imported), "the import table was read (%d functions)" % len(imported))
    for dll, function in imported:
        if dll.lower() not in allowed_dlls:
            expect(False, "import from %s, a DLL not on the allow-list (%s)" % (dll, function))
        elif (dll.lower(), function) not in allowed:
            expect(False, "import %s!%s is not on the allow-list" % (dll, function))

    found = resources(image)
    manifests = [data for (kind, name, _), data in found.items() if kind == RT_MANIFEST and name == 1]
    expect(len(manifests) == 1, "one manifest, RT_MANIFEST id 1 (%d)" % len(manifests))
    if manifests:
        root = ET.fromstring(manifests[0])
        levels = [e.get("level") for e in root.iter("{%s}requestedExecutionLevel" % ASM_V3)]
        expect(levels == ["requireAdministrator"], "requestedExecutionLevel requireAdministrator (%s)" % levels)
        dpi = [(e.text or "").strip().lower() for e in root.iter("{%s}dpiAware" % WINDOWS_SETTINGS_2005)]
        expect(dpi == ["true"], "dpiAware true (%s)" % dpi)
        compatibility = [e for e in root.iter() if e.tag.startswith("{%s}" % COMPATIBILITY)]
        expect(not compatibility, "no compatibility section or supportedOS list (%d elements)" % len(compatibility))

    versions = [data for (kind, name, _), data in found.items() if kind == RT_VERSION and name == 1]
    expect(len(versions) == 1, "one VERSIONINFO resource (%d)" % len(versions))
    if versions:
        fixed, strings = version_info(image)
        expect(fixed == (EXPECTED_VERSION, EXPECTED_VERSION), "file and product version 1.0.0.0 (%s)" % (fixed,))
        for key, want in EXPECTED_VERSION_STRINGS.items():
            expect(strings.get(key) == want, "%s %r (%r)" % (key, want, strings.get(key)))
        expect(bool(strings.get("FileDescription")), "a FileDescription (%r)" % strings.get("FileDescription"))

    return findings.exit_code()


if __name__ == "__main__":
    sys.exit(main())
