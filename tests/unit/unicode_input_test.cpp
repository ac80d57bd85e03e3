// Input that comes in Unicode: licence files saved as UTF-8 or UTF-16, and a program folder whose
// name the ANSI code page cannot spell.
#include "app_dir.h"
#include "licence_encoding.h"
#include "licence_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace core;

namespace {

// Code page 1252 as Windows converts to it: Latin-1 and a few typographic characters; anything
// else becomes '?'.
bool ToCp1252(const std::u16string& text, std::string& ansi) {
    static const std::map<char16_t, char> kTypographic = {
        {u'\u20AC', '\x80'}, {u'\u2018', '\x91'}, {u'\u2019', '\x92'}, {u'\u201C', '\x93'}, {u'\u201D', '\x94'},
    };
    bool lossless = true;
    ansi.clear();
    for (const char16_t unit : text) {
        const auto typographic = kTypographic.find(unit);
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
            ansi += static_cast<char>(unit);
        else if (typographic != kTypographic.end())
            ansi += typographic->second;
        else {
            ansi += '?';
            lossless = false;
        }
    }
    return lossless;
}

std::string Cp1252(const std::u16string& text) {
    std::string ansi;
    ToCp1252(text, ansi);
    return ansi;
}

TEST(LicenceFile, EveryEncodingReadsAsTheSameAnsiText) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;  // as the licence box shows it, in code page 1252
        LicenceEncoding encoding;
    };
    // "© “Ok” é" in each encoding; code page 1252 spells all of it.
    const std::string shown = "\xA9 \x93Ok\x94 \xE9\r\n";
    const std::string utf8 = "\xC2\xA9 \xE2\x80\x9COk\xE2\x80\x9D \xC3\xA9\n";
    const std::string utf16le = std::string("\xA9\0 \0\x1C\x20O\0k\0\x1D\x20 \0\xE9\0\n\0", 18);
    const std::string utf16be = std::string("\0\xA9\0 \x20\x1C\0O\0k\x20\x1D\0 \0\xE9\0\n", 18);
    const Case cases[] = {
        {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8, shown, LicenceEncoding::Utf8},
        {"UTF-8 without mark", utf8, shown, LicenceEncoding::Utf8},
        {"UTF-16 LE (Notepad's Unicode)", "\xFF\xFE" + utf16le, shown, LicenceEncoding::Utf16LE},
        {"UTF-16 BE", "\xFE\xFF" + utf16be, shown, LicenceEncoding::Utf16BE},
        {"ANSI with high bytes stays ANSI", "\xA9 \x93Ok\x94 \xE9\n", shown, LicenceEncoding::Ansi},
        {"code page 936 text stays ANSI", "\xD0\xED\xBF\xC9\n", "\xD0\xED\xBF\xC9\r\n", LicenceEncoding::Ansi},
        {"plain ASCII is ANSI", "Terms\n", "Terms\r\n", LicenceEncoding::Ansi},
        {"mostly UTF-8 with one Latin-1 byte is ANSI", "\xC3\xA9t\xE9\n", "\xC3\xA9t\xE9\r\n", LicenceEncoding::Ansi},
        {"a character the code page lacks shows as '?'",
         "\xEF\xBB\xBFPa\xD1\x88"
         "a\n",
         "Pa?a\r\n", LicenceEncoding::Utf8},
        {"a character beyond U+FFFF is a surrogate pair", "\xF0\x9F\x98\x80!",
         "?"
         "?!\r\n",
         LicenceEncoding::Utf8},
        {"UTF-16 line ends and Ctrl+Z", "\xFF\xFE" + std::string("a\0\r\0\n\0b\0\x1A\0c\0", 12), "a\r\nb\r\n",
         LicenceEncoding::Utf16LE},
        {"UTF-8 Ctrl+Z ends the text", "\xEF\xBB\xBFok\n\x1Agone\n", "ok\r\n", LicenceEncoding::Utf8},
        {"a mark with nothing after it", "\xFF\xFE", "", LicenceEncoding::Utf16LE},
        {"a UTF-8 mark alone", "\xEF\xBB\xBF", "", LicenceEncoding::Utf8},
        {"odd byte count in UTF-16", "\xFF\xFE" + std::string("a\0b", 3), "a?\r\n", LicenceEncoding::Utf16LE},
        {"lone high surrogate",
         "\xFF\xFE" + std::string("a\0\x00\xD8"
                                  "b\0",
                                  6),
         "a?b\r\n", LicenceEncoding::Utf16LE},
        {"lone low surrogate at the end", "\xFE\xFF" + std::string("\0a\xDC\x00", 4), "a?\r\n",
         LicenceEncoding::Utf16BE},
        {"invalid UTF-8 after a mark: one '?' per broken run",
         "\xEF\xBB\xBF"
         "a\xE2\x80"
         "b\xFF\xC0\xAF"
         "c",
         "a?b???c\r\n", LicenceEncoding::Utf8},
        {"truncated sequence at the end is not UTF-8", "caf\xC3", "caf\xC3\r\n", LicenceEncoding::Ansi},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DetectLicenceEncoding(c.bytes).encoding, c.encoding) << c.name;
        EXPECT_EQ(LicenceTextFromFile(c.bytes, Cp1252), c.text) << c.name;
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

// A volume's short names, as the file system would give them.
class FakeVolume : public PathSpelling {
public:
    std::map<std::u16string, std::u16string> shortNames;

    bool ToAnsi(const std::u16string& path, std::string& ansi) const override { return ToCp1252(path, ansi); }
    std::u16string ShortForm(const std::u16string& path) const override {
        const auto found = shortNames.find(path);
        return found == shortNames.end() ? std::u16string() : found->second;
    }
};

TEST(ModulePath, TheFirstFormThatTheCodePageSpellsWithoutLoss) {
    const std::u16string cyrillic = u"C:\\\u0422\u0435\u0441\u0442 \u043F\u0430\u043F\u043A\u0430\\Wi-FiSkylark.exe";
    const std::u16string accented = u"C:\\Caf\u00E9 folder\\Wi-FiSkylark.exe";
    struct Case {
        const char* name;
        std::u16string path;
        std::map<std::u16string, std::u16string> shortNames;
        bool ok;
        std::string narrow;
    };
    const Case cases[] = {
        {"spelt as it is (its short form is not taken)",
         accented,
         {{accented, u"C:\\CAFFO~1\\WI-FIS~1.EXE"}},
         true,
         "C:\\Caf\xE9 folder\\Wi-FiSkylark.exe"},
        {"the short form when the long one loses characters",
         cyrillic,
         {{cyrillic, u"C:\\____~DB4\\WI-FIS~1.EXE"}},
         true,
         "C:\\____~DB4\\WI-FIS~1.EXE"},
        {"no short names on the volume", cyrillic, {}, false, ""},
        {"a short form that loses characters too", cyrillic, {{cyrillic, u"C:\\\u0422~1\\WI-FIS~1.EXE"}}, false, ""},
        {"no path at all stays empty", u"", {}, true, ""},
    };
    for (const Case& c : cases) {
        FakeVolume volume;
        volume.shortNames = c.shortNames;
        std::string narrow;
        EXPECT_EQ(NarrowModulePath(c.path, volume, narrow), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(narrow, c.narrow) << c.name;
        }
    }
    EXPECT_EQ(WideFolderOf(cyrillic), u"C:\\\u0422\u0435\u0441\u0442 \u043F\u0430\u043F\u043A\u0430\\");
    EXPECT_EQ(WideFolderOf(u"Wi-FiSkylark.exe"), u"");
}

}  // namespace
