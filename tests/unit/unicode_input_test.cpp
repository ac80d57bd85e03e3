// Licence files saved as UTF-8, UTF-16 or in the ANSI code page.
#include "licence_encoding.h"
#include "licence_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace core;

namespace {

// Code page 1252 as Windows reads it, for the few bytes these cases hold: Latin-1 and three
// typographic characters.
std::string Cp1252ToUtf8(const std::string& ansi) {
    static const std::map<unsigned char, std::u16string> kTypographic = {
        {0x80, u"\u20AC"}, {0x93, u"\u201C"}, {0x94, u"\u201D"}};
    std::u16string text;
    for (const char c : ansi) {
        const auto typographic = kTypographic.find(static_cast<unsigned char>(c));
        text +=
            typographic != kTypographic.end() ? typographic->second : std::u16string(1, static_cast<unsigned char>(c));
    }
    return EncodeUtf8(text);
}

TEST(LicenceFile, EveryEncodingReadsAsTheSameTextWithEveryCharacter) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;  // as the licence box shows it, in UTF-8
        LicenceEncoding encoding;
    };
    // "© “Ok” é" in each encoding, code page 1252 among them.
    const std::string utf8 = "\xC2\xA9 \xE2\x80\x9COk\xE2\x80\x9D \xC3\xA9\n";
    const std::string shown = "\xC2\xA9 \xE2\x80\x9COk\xE2\x80\x9D \xC3\xA9\r\n";
    const std::string replacement = "\xEF\xBF\xBD";  // U+FFFD
    const std::string utf16le = std::string("\xA9\0 \0\x1C\x20O\0k\0\x1D\x20 \0\xE9\0\n\0", 18);
    const std::string utf16be = std::string("\0\xA9\0 \x20\x1C\0O\0k\x20\x1D\0 \0\xE9\0\n", 18);
    const Case cases[] = {
        {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8, shown, LicenceEncoding::Utf8},
        {"UTF-8 without mark", utf8, shown, LicenceEncoding::Utf8},
        {"UTF-16 LE (Notepad's Unicode)", "\xFF\xFE" + utf16le, shown, LicenceEncoding::Utf16LE},
        {"UTF-16 BE", "\xFE\xFF" + utf16be, shown, LicenceEncoding::Utf16BE},
        {"ANSI with high bytes, from the code page", "\xA9 \x93Ok\x94 \xE9\n", shown, LicenceEncoding::Ansi},
        {"plain ASCII is ANSI", "Terms\n", "Terms\r\n", LicenceEncoding::Ansi},
        {"mostly UTF-8 with one Latin-1 byte is ANSI", "\xC3\xA9t\xE9\n", "\xC3\x83\xC2\xA9t\xC3\xA9\r\n",
         LicenceEncoding::Ansi},
        {"Cyrillic, Greek and Chinese kept whole", "\xEF\xBB\xBF\xD0\x9F\xCE\xA9\xE4\xB8\xAD\n",
         "\xD0\x9F\xCE\xA9\xE4\xB8\xAD\r\n", LicenceEncoding::Utf8},
        {"a character beyond U+FFFF, from UTF-8 and from a UTF-16 surrogate pair", "\xF0\x9F\x98\x80!",
         "\xF0\x9F\x98\x80!\r\n", LicenceEncoding::Utf8},
        {"a surrogate pair in UTF-16", "\xFF\xFE" + std::string("\x3D\xD8\x00\xDE", 4), "\xF0\x9F\x98\x80\r\n",
         LicenceEncoding::Utf16LE},
        {"UTF-16 line ends and Ctrl+Z", "\xFF\xFE" + std::string("a\0\r\0\n\0b\0\x1A\0c\0", 12), "a\r\nb\r\n",
         LicenceEncoding::Utf16LE},
        {"UTF-8 Ctrl+Z ends the text", "\xEF\xBB\xBFok\n\x1Agone\n", "ok\r\n", LicenceEncoding::Utf8},
        {"ANSI Ctrl+Z ends the text", "ok\xE9\n\x1Agone\n", "ok\xC3\xA9\r\n", LicenceEncoding::Ansi},
        {"a mark with nothing after it", "\xFF\xFE", "", LicenceEncoding::Utf16LE},
        {"a UTF-8 mark alone", "\xEF\xBB\xBF", "", LicenceEncoding::Utf8},
        {"odd byte count in UTF-16", "\xFF\xFE" + std::string("a\0b", 3), "a" + replacement + "\r\n",
         LicenceEncoding::Utf16LE},
        {"lone high surrogate",
         "\xFF\xFE" + std::string("a\0\x00\xD8"
                                  "b\0",
                                  6),
         "a" + replacement + "b\r\n", LicenceEncoding::Utf16LE},
        {"lone low surrogate at the end", "\xFE\xFF" + std::string("\0a\xDC\x00", 4), "a" + replacement + "\r\n",
         LicenceEncoding::Utf16BE},
        {"invalid UTF-8 after a mark: one U+FFFD per broken run",
         "\xEF\xBB\xBF"
         "a\xE2\x80"
         "b\xFF\xC0\xAF"
         "c",
         "a" + replacement + "b" + replacement + replacement + replacement + "c\r\n", LicenceEncoding::Utf8},
        {"truncated sequence at the end is not UTF-8", "caf\xC3", "caf\xC3\x83\r\n", LicenceEncoding::Ansi},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DetectLicenceEncoding(c.bytes).encoding, c.encoding) << c.name;
        EXPECT_EQ(LicenceTextFromFile(c.bytes, Cp1252ToUtf8), c.text) << c.name;
    }
}

// Each form that UTF-8 rules out, alone in plain text, beside the valid sequences at the edge of
// each rule: the rules lie one lead byte apart, so each form needs a case of its own.
TEST(LicenceFile, EachInvalidUtf8FormAloneMakesTheTextAnsi) {
    const struct {
        const char* name;
        const char* sequence;
        bool valid;
    } cases[] = {
        {"overlong two bytes, lead C0", "\xC0\xAF", false},
        {"overlong two bytes, lead C1", "\xC1\xBF", false},
        {"smallest of two bytes, U+0080", "\xC2\x80", true},
        {"overlong three bytes, lead E0", "\xE0\x9F\xBF", false},
        {"smallest of three bytes, U+0800", "\xE0\xA0\x80", true},
        {"lead E1, lowest second byte", "\xE1\x80\x80", true},
        {"lead EC, highest second byte", "\xEC\xBF\xBF", true},
        {"last before the surrogates, U+D7FF", "\xED\x9F\xBF", true},
        {"high surrogate U+D800", "\xED\xA0\x80", false},
        {"low surrogate U+DFFF", "\xED\xBF\xBF", false},
        {"first after the surrogates, U+E000", "\xEE\x80\x80", true},
        {"overlong four bytes, lead F0", "\xF0\x8F\xBF\xBF", false},
        {"smallest of four bytes, U+10000", "\xF0\x90\x80\x80", true},
        {"lead F1, lowest second byte", "\xF1\x80\x80\x80", true},
        {"largest, U+10FFFF", "\xF4\x8F\xBF\xBF", true},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"lead F5", "\xF5\x80\x80\x80", false},
    };
    for (const auto& c : cases) {
        const std::string bytes = std::string("a") + c.sequence + "b\n";
        EXPECT_EQ(DetectLicenceEncoding(bytes).encoding, c.valid ? LicenceEncoding::Utf8 : LicenceEncoding::Ansi)
            << c.name;
        // After a mark the text is decoded whatever it holds: only an invalid form is replaced.
        EXPECT_EQ(DecodeUtf8(bytes, 0).find(u'\uFFFD') == std::u16string::npos, c.valid) << c.name;
    }
}

}  // namespace
