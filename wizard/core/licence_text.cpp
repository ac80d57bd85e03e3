#include "licence_text.h"

#include "licence_encoding.h"

namespace core {

std::string LicenceTextFromBytes(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    std::string line;
    bool lineOpen = false;  // a line has begun: at least one character read since the last LF
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\x1A') break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;  // the CR of a CR LF pair; the LF ends the line
        if (c == '\n') {
            text += line;
            text += "\r\n";
            line.clear();
            lineOpen = false;
            continue;
        }
        line += c;
        lineOpen = true;
    }
    if (lineOpen) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string LicenceTextFromFile(const std::string& bytes, const AnsiToUtf8& fromAnsi) {
    // Line ends and Ctrl+Z are ASCII, which no byte inside a UTF-8 character can be taken for.
    const DetectedEncoding detected = DetectLicenceEncoding(bytes);
    switch (detected.encoding) {
        case LicenceEncoding::Utf8:
            return LicenceTextFromBytes(EncodeUtf8(DecodeUtf8(bytes, detected.markLength)));
        case LicenceEncoding::Utf16LE:
            return LicenceTextFromBytes(EncodeUtf8(DecodeUtf16(bytes, detected.markLength, false)));
        case LicenceEncoding::Utf16BE:
            return LicenceTextFromBytes(EncodeUtf8(DecodeUtf16(bytes, detected.markLength, true)));
        case LicenceEncoding::Ansi:
            break;
    }
    // Cut first: in a double-byte code page a trail byte is never a line end or Ctrl+Z either.
    return fromAnsi(LicenceTextFromBytes(bytes));
}

}  // namespace core
