"""The licence file as the wizard reads it: which encoding it takes the bytes to be in, and which
characters the target ANSI code page cannot show."""

import codecs

BYTE_ORDER_MARKS = (
    (b"\xff\xfe", "UTF-16 LE", "utf-16-le"),
    (b"\xfe\xff", "UTF-16 BE", "utf-16-be"),
    (b"\xef\xbb\xbf", "UTF-8 with byte-order mark", "utf-8"),
)


def codec_for_code_page(code_page):
    """Python's codec for a Windows code page, or None when Python has none."""
    try:
        return codecs.lookup("cp%d" % code_page).name
    except LookupError:
        return None


def read_licence(data):
    """(encoding name, text) as the wizard decodes the bytes. The text is None for ANSI: the
    wizard shows those bytes as they are, whatever the code page makes of them."""
    for mark, name, codec in BYTE_ORDER_MARKS:
        if data.startswith(mark):
            # A stray byte (odd UTF-16 length, broken UTF-8) becomes U+FFFD, which no ANSI code
            # page has: it is counted with the characters that show as '?'.
            return name, data[len(mark):].decode(codec, "replace")
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        return "ANSI", None
    if any(byte >= 0x80 for byte in data):
        return "UTF-8", text
    return "ANSI", None   # plain ASCII reads the same either way


def characters_lacking(text, codec):
    """The characters of text that the code page cannot show, in order of first appearance, with
    how often each appears."""
    lacking = {}
    for ch in text:
        if ch in lacking:
            lacking[ch] += 1
            continue
        try:
            ch.encode(codec)
        except UnicodeEncodeError:
            lacking[ch] = 1
    return lacking
