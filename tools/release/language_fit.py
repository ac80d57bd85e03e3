"""Whether each text of a language fits its place on the wizard's pages at 96 DPI.

The places are the dialog template's (res/setup.rc), in dialog units of its 8-point dialog font: at
96 DPI one unit is 1.5 px across and 1.625 px down. The texts are measured as the wizard draws
them: the labels in Verdana 12 pt (16 px; the headings bold) word-wrapped in their boxes, the
buttons in the dialog font (Tahoma 8 pt, 11 px) on one line. Verdana is not free: DejaVu Sans,
from Bitstream Vera, whose widths are close to Verdana's, stands in for it; a script that neither
face has (Chinese, Japanese, Korean) is measured in WenQuanYi Micro Hei, as the wizard asks for a
face of that script. So this is an estimate, of a few per cent either way."""

import re

from PIL import ImageFont

DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
DEJAVU_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
TAHOMA = "/usr/share/wine/fonts/tahoma.ttf"
CJK = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
CJK_CHARSETS = (128, 129, 134, 136)
BUTTON_PADDING = 6   # px of a push button's edges and the space the text keeps from them

# Which template control shows which text, and in which of the wizard's fonts.
PLACES = {
    "title": (["IDC_TITLE"], "text"),
    "welcome_title": (["IDC_WELCOME_TITLE"], "heading"),
    "welcome_text": (["IDC_WELCOME_TEXT"], "text"),
    "install_title": (["IDC_INSTALL_TITLE"], "heading"),
    "installing": (["IDC_INSTALLING"], "text"),
    "finish_title": (["IDC_FINISH_TITLE"], "heading"),
    "restart_title": (["IDC_FINISH_TITLE"], "heading"),
    "finish_text": (["IDC_FINISH_TEXT"], "text"),
    "restart_text": (["IDC_FINISH_TEXT"], "text"),
    "back": (["IDC_WELCOME_BACK", "IDC_INSTALL_BACK", "IDC_FINISH_BACK", "IDC_LICENSE_BACK"], "button"),
    "next": (["IDC_WELCOME_NEXT", "IDC_INSTALL_NEXT"], "button"),
    "cancel": (["IDC_WELCOME_CANCEL", "IDC_INSTALL_CANCEL", "IDC_LICENSE_CANCEL"], "button"),
    "accept": (["IDC_ACCEPT"], "button"),
    "finish": (["IDC_FINISH"], "button"),
}


def template_places(rc_text):
    """{control id name: (width px, height px)} of the template's text controls and buttons."""
    places = {}
    pattern = re.compile(r'^\s*(?:LTEXT|PUSHBUTTON|DEFPUSHBUTTON)\s+"(?:[^"\\]|\\.)*"\s*,\s*(\w+)\s*,'
                         r'\s*\d+\s*,\s*\d+\s*,\s*(\d+)\s*,\s*(\d+)', re.M)
    for name, width, height in pattern.findall(rc_text):
        places[name] = (int(width) * 1.5, int(height) * 1.625)
    return places


def _font(role, charset):
    if charset in CJK_CHARSETS:
        return ImageFont.truetype(CJK, 11 if role == "button" else 16)
    if role == "button":
        return ImageFont.truetype(TAHOMA, 11)
    return ImageFont.truetype(DEJAVU_BOLD if role == "heading" else DEJAVU, 16)


def _tokens(line):
    """Where a line may break: after a space, or between two characters of an East Asian script."""
    tokens = []
    for word in re.split(r"(?<= )", line):
        for piece in re.findall(r"[\u2e80-\u9fff\uac00-\ud7af\uff00-\uffef]|[^\u2e80-\u9fff\uac00-\ud7af\uff00-\uffef]+",
                                word):
            tokens.append(piece)
    return tokens


def _wrapped_lines(text, font, width):
    """The lines the text takes word-wrapped in `width` px; None when one word alone is wider."""
    lines = []
    for paragraph in text.split("\n"):
        line = ""
        for token in _tokens(paragraph):
            if font.getlength((line + token).rstrip()) <= width:
                line += token
                continue
            if not line or font.getlength(token.rstrip()) > width:
                return None
            lines.append(line)
            line = token.lstrip()
        lines.append(line)
    return lines


def misfits(texts, charset, places):
    """The keys whose texts do not fit, each with why, as (key, reason)."""
    problems = []
    for key, (controls, role) in PLACES.items():
        text = texts.get(key)
        if text is None:
            continue
        font = _font(role, charset)
        ascent, descent = font.getmetrics()
        for control in controls:
            if control not in places:
                continue
            width, height = places[control]
            if role == "button":
                needed = font.getlength(text) + BUTTON_PADDING
                if "\n" in text or needed > width:
                    problems.append((key, "%d px wide on a button of %d px" % (needed, width)))
                break
            lines = _wrapped_lines(text, font, width)
            if lines is None:
                problems.append((key, "a word is wider than its box (%d px)" % width))
            elif len(lines) * (ascent + descent) > height:
                problems.append((key, "%d lines, where its box (%dx%d px) holds %d" % (
                    len(lines), width, height, int(height // (ascent + descent)))))
            break
    return problems
