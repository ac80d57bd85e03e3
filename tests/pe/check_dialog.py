#!/usr/bin/env python3
"""Holds the wizard's dialog template, as the shipped image carries it, against its designed layout:

    check_dialog.py EXE

The designed layout is written out here, control by control (id, class, style, extended style,
rectangle in dialog units, text, order), so that an edit of the resource script that moves, restyles,
reorders or renames a control fails. Every finding is printed; the exit code is 1 if any."""

import struct
import sys

from shipped_image import Findings, open_image, resources

RT_DIALOG = 5
IDD_SETUP_DIALOG = 102
LANG_CHINESE_PRC = 0x0804

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_BORDER, WS_VSCROLL, WS_SYSMENU = 0x00800000, 0x00200000, 0x00080000
WS_GROUP, WS_TABSTOP = 0x00020000, 0x00010000
WS_EX_APPWINDOW = 0x00040000
DS_SETFONT, DS_SHELLFONT = 0x40, 0x48
BS_DEFPUSHBUTTON = 0x1
SS_LEFT, SS_BLACKFRAME = 0x0, 0x7
ES_MULTILINE, ES_READONLY = 0x4, 0x800

# Window classes that a template names by atom.
ATOMS = {0x80: "Button", 0x81: "Edit", 0x82: "Static", 0x83: "ListBox", 0x84: "ScrollBar", 0x85: "ComboBox"}

CHILD = WS_CHILD | WS_VISIBLE
PUSH = CHILD | WS_TABSTOP
DEFPUSH = PUSH | BS_DEFPUSHBUTTON
TEXT = CHILD | WS_GROUP | SS_LEFT
LICENCE_EDIT = CHILD | ES_MULTILINE | WS_BORDER | WS_VSCROLL | WS_TABSTOP
LICENCE_RICHEDIT = CHILD | ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP

DIALOG = {
    "style": WS_POPUP | WS_VISIBLE | WS_BORDER | WS_SYSMENU | DS_SHELLFONT | DS_SETFONT,
    "ex_style": WS_EX_APPWINDOW,
    "size": (420, 245),
    "font": (8, "MS Shell Dlg"),
}

# id, class, style, x, y, width, height, text: in the order of the template (the tab order).
CONTROLS = [
    (1003, "msctls_progress32", CHILD | WS_BORDER, 0, 81, 20, 6, ""),
    (1, "Button", DEFPUSH, 0, 222, 50, 16, "确定"),
    (2, "Button", PUSH, 56, 222, 50, 16, "取消"),
    (1000, "Button", PUSH, 241, 202, 44, 17, "< Back"),
    (1001, "Button", PUSH, 287, 202, 44, 17, "Next"),
    (1002, "Button", PUSH, 338, 202, 44, 17, "Cancel"),
    (1004, "Button", PUSH, 242, 201, 44, 17, "< Back"),
    (1005, "Button", PUSH, 288, 201, 44, 17, "Next"),
    (1006, "Button", PUSH, 337, 201, 44, 17, "Cancel"),
    (1007, "Button", PUSH, 242, 201, 44, 17, "< Back"),
    (1008, "Button", PUSH, 288, 201, 44, 17, "Finish"),
    (1009, "Button", PUSH, 337, 201, 44, 17, "Cancel"),
    (1010, "Static", TEXT, 106, 54, 115, 23, "Welcome"),
    (1011, "Static", TEXT, 106, 90, 301, 61,
     "We're ready to set-up your computer.\r\nThis will only take a few moments.\r\nTo continue, click Next"),
    (1012, "Static", TEXT, 106, 54, 123, 24, "Installing..."),
    (1013, "Static", TEXT, 106, 54, 275, 25,
     "Set-up complete, now plug your wireless\r\nadapter into a USB port on your computer"),
    (1014, "Static", TEXT, 106, 91, 306, 53, "Then click Finish.\r\n\r\nAll done!"),
    (1015, "Static", TEXT, 0, 206, 30, 8, "Welcome"),
    (1016, "Static", TEXT, 1, 6, 258, 19, "11ac Dual-Band Wi-Fi Skylark 48 Set-up"),
    (1017, "Button", PUSH, 242, 202, 44, 17, "< Back"),
    (1018, "Button", PUSH, 288, 202, 44, 17, "Accept"),
    (1019, "Button", PUSH, 337, 202, 44, 17, "Cancel"),
    (1020, "Edit", LICENCE_EDIT, 106, 41, 243, 143, ""),
    (1021, "RichEdit20A", LICENCE_RICHEDIT, 0, 54, 31, 26, ""),
    (1022, "Static", TEXT, 176, 87, 110, 25, "Installing..."),
    (1023, "Static", CHILD | SS_BLACKFRAME, 188, 108, 43, 37, ""),
]


class Reader:
    """Reads a DLGTEMPLATEEX from its first byte, every read checked against the resource's end."""

    def __init__(self, data):
        self.data = data
        self.at = 0

    def take(self, layout):
        size = struct.calcsize(layout)
        if size > len(self.data) - self.at:
            raise ValueError("the template ends at byte %d, inside a field at %d" % (len(self.data), self.at))
        values = struct.unpack_from(layout, self.data, self.at)
        self.at += size
        return values

    def text(self):
        """A NUL-ended UTF-16 string."""
        units = []
        while True:
            (unit,) = self.take("<H")
            if unit == 0:
                return struct.pack("<%dH" % len(units), *units).decode("utf-16-le")
            units.append(unit)

    def name_or_atom(self):
        """sz_Or_Ord: empty, 0xFFFF and an atom, or a string."""
        (first,) = self.take("<H")
        if first == 0:
            return ""
        if first == 0xFFFF:
            (atom,) = self.take("<H")
            return ATOMS.get(atom, "#%d" % atom)
        self.at -= 2
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def read_template(data):
    """(header dict, [(id, class, style, ex style, x, y, w, h, text)])."""
    r = Reader(data)
    version, signature, _help, ex_style, style, count, _x, _y, cx, cy = r.take("<HHIIIHhhhh")
    if (version, signature) != (1, 0xFFFF):
        raise ValueError("not an extended dialog template (version %d, signature 0x%x)" % (version, signature))
    r.name_or_atom()   # menu
    r.name_or_atom()   # window class
    r.text()           # caption
    font = None
    if style & DS_SETFONT:
        points, _weight, _italic, _charset = r.take("<HHBB")
        font = (points, r.text())
    header = {"style": style, "ex_style": ex_style, "size": (cx, cy), "font": font}
    controls = []
    for _ in range(count):
        r.align()
        _help, item_ex_style, item_style, x, y, w, h, item_id = r.take("<IIIhhhhI")
        window_class = r.name_or_atom()
        text = r.name_or_atom()
        (extra,) = r.take("<H")
        r.take("<%ds" % extra)
        controls.append((item_id, window_class, item_style, item_ex_style, x, y, w, h, text))
    return header, controls


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    findings = Findings()
    expect = findings.expect
    image = open_image(sys.argv[1])
    if image is None:
        return 1
    templates = {language: data for (kind, name, language), data in resources(image).items()
                 if kind == RT_DIALOG and name == IDD_SETUP_DIALOG}
    expect(list(templates) == [LANG_CHINESE_PRC],
           "one template %d, in Chinese (PRC) (languages %s)" % (IDD_SETUP_DIALOG, [hex(k) for k in templates]))
    if LANG_CHINESE_PRC not in templates:
        return findings.exit_code()
    try:
        header, controls = read_template(templates[LANG_CHINESE_PRC])
    except ValueError as e:
        expect(False, "the template reads to its end (%s)" % e)
        return findings.exit_code()

    for key, want in DIALOG.items():
        got = header[key]
        expect(got == want, "dialog %s %s (%s)" % (key, show(want), show(got)))
    expect(len(controls) == len(CONTROLS), "%d controls (%d)" % (len(CONTROLS), len(controls)))
    for position, (want, got) in enumerate(zip(CONTROLS, controls), 1):
        want_id, want_class, want_style, *want_rest = want
        want_item = (want_id, want_class, want_style, 0, *want_rest)
        expect(fold(got) == fold(want_item),
               "control %d: %s" % (position, describe(want_item))
               + ("" if got == want_item else " (%s)" % describe(got)))
    return findings.exit_code()


def fold(item):
    """Window class names are not case-sensitive (windres writes them in capitals)."""
    return item[:1] + (item[1].lower(),) + item[2:]


def show(value):
    return "0x%08x" % value if isinstance(value, int) else repr(value)


def describe(item):
    item_id, window_class, style, ex_style, x, y, w, h, text = item
    return "id %d %s style 0x%08x ex 0x%x at %d,%d %dx%d %r" % (item_id, window_class, style, ex_style, x, y, w, h, text)


if __name__ == "__main__":
    sys.exit(main())
