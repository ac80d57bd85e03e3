"""Checks a vendor's data folder file by file, as the wizard will use each file: one row per file
with what was found and a verdict."""

import os
import subprocess

import licence_encoding

OK, WARNING, ERROR = "ok", "warning", "error"
_SEVERITY = {OK: 0, WARNING: 1, ERROR: 2}

# The window's background at each display class; another size is stretched to this one.
BACKGROUNDS = (
    ("main96DPI.jpg", (600, 398)),
    ("main125DPI.jpg", (750, 498)),
    ("main150DPI.jpg", (900, 597)),
)
ASPECT_TOLERANCE = 0.02

# The Installing page's animation area is 43 x 37 dialog units. At 96 DPI with Tahoma 8 a dialog
# unit is 6/4 = 1.5 px wide and 13/8 = 1.625 px high: 64.5 x 60.1 px, of which 64 x 60 whole
# pixels. Higher DPIs only make the area bigger, and the GIF is drawn at its own size.
ANIMATION_AREA = (64, 60)

# A package for another machine than x86 cannot start on 32-bit Windows.
I386 = 0x14C

LICENCE = "License.txt"
ANIMATION = "zv_reset_animation.gif"
PACKAGE = "Skylark48.exe"


class Row:
    def __init__(self, name):
        self.name = name
        self.found = []
        self.verdict = OK

    def note(self, text, verdict=OK):
        self.found.append(text)
        if _SEVERITY[verdict] > _SEVERITY[self.verdict]:
            self.verdict = verdict
        return self


def check_licence(path, code_page):
    row = Row(LICENCE)
    with open(path, "rb") as f:
        data = f.read()
    encoding, text = licence_encoding.read_licence(data)
    row.note("%s, %d bytes" % (encoding, len(data)))
    if len(data) == 0 or text == "":
        return row.note("no text: the Licence page would be empty", ERROR)
    if text is None:
        return row.note("shown as it is in code page %d" % code_page)
    codec = licence_encoding.codec_for_code_page(code_page)
    lacking = licence_encoding.characters_lacking(text, codec)
    if lacking:
        count = sum(lacking.values())
        sample = " ".join("U+%04X" % ord(ch) for ch in list(lacking)[:5])
        row.note("%d characters that code page %d lacks show as '?' (%s%s)"
                 % (count, code_page, sample, " ..." if len(lacking) > 5 else ""), WARNING)
    return row


def check_background(path, name, size):
    from PIL import Image, UnidentifiedImageError

    row = Row(name)
    try:
        with Image.open(path) as image:
            if image.format != "JPEG":
                return row.note("not a JPEG (%s)" % image.format, ERROR)
            image.load()   # decodes every scan, so a cut-short file shows here
            width, height = image.size
    except Image.DecompressionBombError as e:
        return row.note("refused as too large to decode: %s" % e, ERROR)
    except (UnidentifiedImageError, OSError, SyntaxError, ValueError) as e:
        return row.note("does not decode as a JPEG: %s" % e, ERROR)
    row.note("JPEG %dx%d" % (width, height))
    if (width, height) != size:
        row.note("stretched to %dx%d" % size, WARNING)
        off = abs((width / height) / (size[0] / size[1]) - 1)
        if off > ASPECT_TOLERANCE:
            row.note("aspect ratio off by %.1f%%: out of shape" % (off * 100), WARNING)
    return row


def _delays(frames):
    """'80 ms x11, 500 ms': runs of equal GIF delays."""
    runs = []
    for delay in frames:
        if runs and runs[-1][0] == delay:
            runs[-1][1] += 1
        else:
            runs.append([delay, 1])
    text = lambda d: "none" if d < 0 else "%d ms" % (d * 10)
    return ", ".join(text(d) + (" x%d" % n if n > 1 else "") for d, n in runs)


def check_animation(path, gif_frames):
    row = Row(ANIMATION)
    run = subprocess.run([gif_frames, "--budget", path], capture_output=True, text=True)
    if run.returncode == 1:
        return row.note("the GIF walker finds no image (not a GIF, or cut short)", ERROR)
    if run.returncode != 0:
        reason = run.stderr.strip() or "gif-frames ended with code %d" % run.returncode
        return row.note("the GIF walker fails: %s" % reason, ERROR)
    screen, blocks, delays, decoded = None, 0, [], None
    for line in run.stdout.splitlines():
        words = line.split()
        if words[0] == "screen":
            screen = (int(words[1]), int(words[2]))
        elif words[0] == "blocks":
            blocks = int(words[1])
        elif words[0] == "frame":
            delays.append(int(words[words.index("delay") + 1]))
        elif words[0] == "decoded":
            decoded = (int(words[1]), int(words[3]))
    row.note("screen %dx%d" % screen)
    if blocks == 1:
        # The wizard shows one image whole; nothing is cut.
        row.note("a single frame: nothing will move", WARNING)
    else:
        row.note("%d frames, delays %s" % (len(delays), _delays(delays)))
        if len(delays) < blocks:
            row.note("only %d of %d images cut: the rest are not shown" % (len(delays), blocks),
                     WARNING)
        if decoded and decoded[0] > decoded[1]:
            # It plays, but the frames past the budget are decoded anew each time round.
            row.note("%.0f MB decoded, over the wizard's %.0f MB for frames: it plays, but costs "
                     "CPU to decode frames again each time round" % (decoded[0] / 2**20, decoded[1] / 2**20),
                     WARNING)
    if screen[0] > ANIMATION_AREA[0] or screen[1] > ANIMATION_AREA[1]:
        row.note("larger than the animation area (%dx%d px at 96 DPI)" % ANIMATION_AREA, WARNING)
    return row


def check_package(path):
    import pefile

    row = Row(PACKAGE)
    try:
        pe = pefile.PE(path, fast_load=True)
    except pefile.PEFormatError as e:
        return row.note("not a Windows program (PE): %s" % e.value, ERROR)
    machine = pe.FILE_HEADER.Machine
    name = pefile.MACHINE_TYPE.get(machine, "0x%04X" % machine).replace("IMAGE_FILE_MACHINE_", "")
    row.note("PE, machine %s" % name)
    if machine != I386:
        row.note("cannot start on 32-bit Windows (the wizard says the package could not be "
                 "started)", WARNING)
    return row


def check_folder(data_dir, code_page, gif_frames):
    """The rows for data_dir: the files the wizard uses, in a fixed order, then any other file."""
    expected = [LICENCE] + [name for name, _ in BACKGROUNDS] + [ANIMATION, PACKAGE]
    checks = {
        LICENCE: lambda p: check_licence(p, code_page),
        ANIMATION: lambda p: check_animation(p, gif_frames),
        PACKAGE: check_package,
    }
    for name, size in BACKGROUNDS:
        checks[name] = lambda p, name=name, size=size: check_background(p, name, size)

    rows = []
    for name in expected:
        path = os.path.join(data_dir, name)
        if not os.path.isfile(path):
            rows.append(_missing(data_dir, name))
            continue
        try:
            open(path, "rb").close()   # so that a check's own message is not taken for this one
        except OSError as e:
            rows.append(Row(name).note("cannot read: %s" % e.strerror, ERROR))
            continue
        rows.append(checks[name](path))
    for name in other_files(data_dir, expected):
        rows.append(Row(name).note("shipped as it is"))
    return rows


def _missing(data_dir, name):
    row = Row(name).note("missing", ERROR)
    near = [f for f in os.listdir(data_dir) if f.lower() == name.lower() and f != name]
    if near:
        row.note("there is %s: name it %s" % (near[0], name), ERROR)
    return row


def other_files(data_dir, expected):
    names = []
    for folder, dirs, files in os.walk(data_dir):
        dirs.sort()
        for f in sorted(files):
            rel = os.path.relpath(os.path.join(folder, f), data_dir).replace(os.sep, "/")
            if rel not in expected:
                names.append(rel)
    return names


def format_table(rows):
    width = max([len("File")] + [len(r.name) for r in rows])
    lines = ["%-*s  %-7s  %s" % (width, "File", "Verdict", "Found")]
    for r in rows:
        lines.append("%-*s  %-7s  %s" % (width, r.name, r.verdict, "; ".join(r.found)))
    return "\n".join(lines)
