#!/usr/bin/env python3
"""Checks the shipped 32-bit image by reading it, as the loader and Explorer would:

    check_image.py OBJDUMP EXE ALLOW_LIST

Headers and imports come from objdump -p; the time stamp and the resources (manifest, version
information) are read from the file itself. Every finding is printed; the exit code is 1 if any."""

import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

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


class Image:
    """The parts of a PE file that the loader reads before anything runs."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        # COFF header: +0 machine  +2 sections  +4 time stamp  +16 optional header size
        coff = pe + 4
        self.machine, sections, self.timestamp = struct.unpack_from("<HHI", data, coff)
        optional_size = self.u16(coff + 16)
        optional = coff + 20
        magic = self.u16(optional)
        # The data directories follow the fixed part: 96 bytes in PE32, 112 in PE32+.
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            # Section header: +8 virtual size  +12 RVA  +16 raw size  +20 raw offset
            vsize, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((rva, max(vsize, raw_size), raw_offset, raw_size))

    def u16(self, off):
        return struct.unpack_from("<H", self.data, off)[0]

    def u32(self, off):
        return struct.unpack_from("<I", self.data, off)[0]

    def offset(self, rva, size):
        for start, span, raw_offset, raw_size in self.sections:
            if start <= rva and size <= span - (rva - start):
                inner = rva - start
                if size > raw_size - min(inner, raw_size):
                    break
                return raw_offset + inner
        raise ValueError("RVA 0x%x (+%d) lies in no section" % (rva, size))

    def resources(self):
        """{(type, name, language): bytes}, with integer ids and names as strings."""
        found = {}
        if not self.resource_rva:
            return found
        base = self.offset(self.resource_rva, self.resource_size)

        def label(entry_name):
            if entry_name & 0x80000000:
                at = base + (entry_name & 0x7FFFFFFF)
                length = self.u16(at)
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return entry_name

        def walk(directory_offset, path):
            # Directory: +12 named entries  +14 id entries, then 8-byte entries (name, target)
            at = base + directory_offset
            count = self.u16(at + 12) + self.u16(at + 14)
            for i in range(count):
                name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                key = path + (label(name),)
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, key)
                else:
                    # Data entry: +0 RVA  +4 size
                    rva, size = struct.unpack_from("<II", self.data, base + target)
                    start = self.offset(rva, size)
                    found[key] = self.data[start:start + size]

        walk(0, ())
        return found


def version_blocks(data, off=0, end=None):
    """Walks a VERSIONINFO block tree: yields (key path, value bytes, type) for every block."""
    end = len(data) if end is None else end

    def align(x):
        return (x + 3) & ~3

    def block(at, path):
        # Block: +0 length  +2 value length  +4 type (1 text, 0 binary)  +6 key (UTF-16, NUL ended)
        length, value_length, kind = struct.unpack_from("<HHH", data, at)
        if length < 6 or length > end - at:
            raise ValueError("version block at %d runs past its parent" % at)
        key_end = at + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[at + 6:key_end].decode("utf-16-le")
        value_at = align(key_end + 2)
        value_bytes = value_length * 2 if kind == 1 else value_length
        value = data[value_at:value_at + value_bytes]
        yield path + (key,), value, kind
        child = align(value_at + value_bytes)
        while child < at + length:
            child_length = struct.unpack_from("<H", data, child)[0]
            if child_length == 0:
                break
            yield from block(child, path + (key,))
            child = align(child + child_length)

    yield from block(off, ())


def objdump_fields(objdump, exe):
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    fields = {}
    for line in text.splitlines():
        m = re.match(r"^(\w+)\s+(\S+)", line)
        if m and m.group(1) not in fields:
            fields[m.group(1)] = m.group(2)
    flags = set()
    m = re.search(r"^DllCharacteristics\s+\S+\n((?:\t+\S+\n)*)", text, re.M)
    if m:
        flags = set(m.group(1).split())
    imports = []
    dll = None
    in_imports = False
    for line in text.splitlines():
        if line.startswith("The Import Tables"):
            in_imports = True
            continue
        if in_imports and re.match(r"^[A-Za-z]", line):
            break   # the next part of the dump
        m = re.match(r"^\s*DLL Name: (\S+)", line)
        if in_imports and m:
            dll = m.group(1)
            continue
        # Entry: vma, hint (or ordinal), name ("<none>" for an import by ordinal)
        m = re.match(r"^\t[0-9a-f]+\t\s*(\d+)\s+(\S+)", line)
        if in_imports and dll and m:
            by_ordinal = m.group(2) == "<none>"
            imports.append((dll, "#" + m.group(1) if by_ordinal else m.group(2)))
    return fields, flags, imports


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
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    objdump, exe, allow_path = sys.argv[1:]
    problems = []

    def expect(ok, what):
        print(("ok       " if ok else "PROBLEM  ") + what)
        if not ok:
            problems.append(what)

    with open(exe, "rb") as f:
        image = Image(f.read())
    fields, flags, imports = objdump_fields(objdump, exe)

    expect(image.machine == 0x14C, "machine i386 (0x%x)" % image.machine)
    expect(fields.get("Magic") == "010b", "PE32 (magic %s)" % fields.get("Magic"))
    expect(fields.get("Subsystem") == "00000002", "Windows GUI subsystem (%s)" % fields.get("Subsystem"))
    subsystem = (fields.get("MajorSubsystemVersion"), fields.get("MinorSubsystemVersion"))
    expect(subsystem == ("5", "1"), "subsystem version 5.01, which XP loads (%s.%s)" % subsystem)
    expect({"DYNAMIC_BASE", "NX_COMPAT"} <= flags, "DYNAMIC_BASE and NX_COMPAT (%s)" % " ".join(sorted(flags)))
    expect(image.timestamp == 0, "time stamp 0, for reproducible builds (%d)" % image.timestamp)

    allowed = read_allow_list(allow_path)
    allowed_dlls = {dll for dll, _ in allowed}
    expect(bool(imports), "the import table was read (%d functions)" % len(imports))
    for dll, function in imports:
        if dll.lower() not in allowed_dlls:
            expect(False, "import from %s, a DLL not on the allow-list (%s)" % (dll, function))
        elif (dll.lower(), function) not in allowed:
            expect(False, "import %s!%s is not on the allow-list" % (dll, function))

    resources = image.resources()
    manifests = [data for (kind, name, _), data in resources.items() if kind == RT_MANIFEST and name == 1]
    expect(len(manifests) == 1, "one manifest, RT_MANIFEST id 1 (%d)" % len(manifests))
    if manifests:
        root = ET.fromstring(manifests[0])
        levels = [e.get("level") for e in root.iter("{%s}requestedExecutionLevel" % ASM_V3)]
        expect(levels == ["requireAdministrator"], "requestedExecutionLevel requireAdministrator (%s)" % levels)
        dpi = [(e.text or "").strip().lower() for e in root.iter("{%s}dpiAware" % WINDOWS_SETTINGS_2005)]
        expect(dpi == ["true"], "dpiAware true (%s)" % dpi)
        compatibility = [e for e in root.iter() if e.tag.startswith("{%s}" % COMPATIBILITY)]
        expect(not compatibility, "no compatibility section or supportedOS list (%d elements)" % len(compatibility))

    versions = [data for (kind, name, _), data in resources.items() if kind == RT_VERSION and name == 1]
    expect(len(versions) == 1, "one VERSIONINFO resource (%d)" % len(versions))
    if versions:
        strings = {}
        fixed = None
        for path, value, kind in version_blocks(versions[0]):
            if path == ("VS_VERSION_INFO",) and len(value) >= 52:
                # VS_FIXEDFILEINFO: +0 signature  +8 file version MS, LS  +16 product version MS, LS
                signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", value)
                if signature == 0xFEEF04BD:
                    fixed = ((file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
                             (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF))
            if len(path) == 4 and path[1] == "StringFileInfo" and kind == 1:
                strings[path[3]] = value.decode("utf-16-le").rstrip("\0")
        expect(fixed == (EXPECTED_VERSION, EXPECTED_VERSION), "file and product version 1.0.0.0 (%s)" % (fixed,))
        for key, want in EXPECTED_VERSION_STRINGS.items():
            expect(strings.get(key) == want, "%s %r (%r)" % (key, want, strings.get(key)))
        expect(bool(strings.get("FileDescription")), "a FileDescription (%r)" % strings.get("FileDescription"))

    print("%d problem(s)" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
