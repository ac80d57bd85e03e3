#include "licence_encoding.h"

namespace core {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool StartsWith(const std::string& bytes, const char* mark, size_t length) {
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

unsigned char ByteAt(const std::string& bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

// One UTF-8 sequence at `at` (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
// Returns its length and code point; for an invalid one, the length of its longest valid start
// (at least 1) and no code point, so that each invalid run is replaced once.
struct Utf8Sequence {
    size_t length;
    bool valid;
    char32_t codePoint;
};

Utf8Sequence ReadUtf8Sequence(const std::string& bytes, size_t at) {
    const unsigned char lead = ByteAt(bytes, at);
    if (lead < 0x80) return {1, true, lead};
    size_t length;
    char32_t codePoint;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return {1, false, 0};
    }
    for (size_t i = 1; i < length; ++i) {
        if (at + i >= bytes.size()) return {i, false, 0};
        const unsigned char next = ByteAt(bytes, at + i);
        if (next < low || next > high) return {i, false, 0};
        low = 0x80;
        high = 0xBF;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return {length, true, codePoint};
}

void AppendCodePoint(std::u16string& text, char32_t codePoint) {
    if (codePoint < 0x10000) {
        text += static_cast<char16_t>(codePoint);
        return;
    }
    codePoint -= 0x10000;
    text += static_cast<char16_t>(0xD800 + (codePoint >> 10));
    text += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
}

bool IsValidUtf8WithMultiByte(const std::string& bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return IsValidUtf8(bytes);
    }
    return false;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

DetectedEncoding DetectLicenceEncoding(const std::string& bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return {LicenceEncoding::Utf8, 3};
    if (StartsWith(bytes, "\xFF\xFE", 2)) return {LicenceEncoding::Utf16LE, 2};
    if (StartsWith(bytes, "\xFE\xFF", 2)) return {LicenceEncoding::Utf16BE, 2};
    if (IsValidUtf8WithMultiByte(bytes)) return {LicenceEncoding::Utf8, 0};
    return {LicenceEncoding::Ansi, 0};
}

std::u16string DecodeUtf8(const std::string& bytes, size_t from) {
    std::u16string text;
    text.reserve(bytes.size() > from ? bytes.size() - from : 0);
    for (size_t at = from; at < bytes.size();) {
        const Utf8Sequence sequence = ReadUtf8Sequence(bytes, at);
        AppendCodePoint(text, sequence.valid ? sequence.codePoint : kReplacement);
        at += sequence.length;
    }
    return text;
}

std::u16string DecodeUtf16(const std::string& bytes, size_t from, bool bigEndian) {
    std::u16string units;
    size_t at = from;
    for (; at + 1 < bytes.size(); at += 2) {
        const unsigned first = ByteAt(bytes, at), second = ByteAt(bytes, at + 1);
        units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    if (at < bytes.size()) units += kReplacement;  // half a code unit

    // Surrogates stand only in pairs, high then low.
    std::u16string text;
    text.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            text += unit;
            text += units[++i];
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            text += kReplacement;
        } else {
            text += unit;
        }
    }
    return text;
}

bool IsValidUtf8(const std::string& bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const Utf8Sequence sequence = ReadUtf8Sequence(bytes, at);
        if (!sequence.valid) return false;
        at += sequence.length;
    }
    return true;
}

std::string EncodeUtf8(const std::u16string& text) {
    std::string utf8;
    utf8.reserve(text.size() + text.size() / 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

}  // namespace core
