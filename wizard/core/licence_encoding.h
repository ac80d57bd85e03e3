#pragma once
// How a licence file is encoded, and its text as UTF-16. Vendors save licences from whatever editor
// they use: ANSI, UTF-8 with or without a byte-order mark, or UTF-16 ("Unicode" in Notepad).

#include <cstddef>
#include <string>

namespace core {

enum class LicenceEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct DetectedEncoding {
    LicenceEncoding encoding;
    size_t markLength;  // bytes of the byte-order mark, never shown
};

// A byte-order mark decides. Without one, bytes that are valid UTF-8 from start to end and hold at
// least one multi-byte sequence are UTF-8 (ANSI text with accented letters or double-byte
// characters practically never is); anything else is ANSI.
DetectedEncoding DetectLicenceEncoding(const std::string& bytes);

// The text from `from` on as UTF-16. Damaged input never stops the decoding: an invalid UTF-8
// sequence, a lone surrogate and a last odd byte of UTF-16 each become U+FFFD.
std::u16string DecodeUtf8(const std::string& bytes, size_t from);
std::u16string DecodeUtf16(const std::string& bytes, size_t from, bool bigEndian);

// Every byte sequence is UTF-8 (shortest forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(const std::string& bytes);

// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string EncodeUtf8(const std::u16string& text);

}  // namespace core
