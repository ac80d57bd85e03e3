#pragma once
// The wizard's texts in one language, and the choice of the language to show.
//
// A language file is UTF-8, one "key = text" line per text; "\n" in a text is a line break, lines
// that start with '#' and empty lines are skipped. English is built in; every other language
// comes from such a file.

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace core {

enum class Text {
    Title,
    WelcomeTitle,
    WelcomeText,
    WelcomeLabel,
    InstallTitle,
    Installing,
    FinishTitle,
    FinishText,
    RestartTitle,
    RestartText,
    Back,
    Next,
    Cancel,
    Accept,
    Finish,
    LicenceName,
    ProgressName,
    AnimationName,
    OsRefused,
    UnexpectedError,
    PackageNotStarted,
    LicenceUnreadable,
    PictureMissing,
    PictureUnreadable,
    PrivateFolderFailed,
    FilesChanged,
    FilesUnreadable,
    FileMissing,
    FileInUse,
    FileUnreadable,
    FileNotCopied,
    PackageCancelled,
    PackageBusy,
    PackageUnknown,
    PackageFailed,
    Count
};

constexpr size_t kTextCount = static_cast<size_t>(Text::Count);

// The key of a text in a language file, and its English.
const char* TextKey(Text text);
const char* EnglishText(Text text);

struct LanguageFile;

class Language {
public:
    Language();  // English
    const std::string& Tag() const { return m_tag; }
    const std::string& operator[](Text text) const { return m_texts[static_cast<size_t>(text)]; }
    // Arabic, Hebrew, Persian and Urdu read from right to left.
    bool RightToLeft() const;
    // The character set a font needs for the language's script, as LOGFONT's lfCharSet takes it: the
    // font mapper then picks a face that has the script where the named face lacks it. 0 (ANSI) for
    // the languages of Western Europe.
    unsigned char Charset() const;

private:
    friend LanguageFile ParseLanguageFile(const std::string& tag, const std::string& bytes);
    std::string m_tag = "en";
    std::array<std::string, kTextCount> m_texts;
};

// A language file read and checked: every key once, no other, valid UTF-8, each text with the
// same {placeholders} as its English. Each problem names its line or key.
struct LanguageFile {
    Language language;
    std::vector<std::string> problems;
    bool Ok() const { return problems.empty(); }
};
LanguageFile ParseLanguageFile(const std::string& tag, const std::string& bytes);

// The text with each {name} replaced by its value.
std::string Fill(const std::string& text, const std::vector<std::pair<const char*, std::string>>& values);

// Each line of a right-to-left text embedded as right to left (U+202B ... U+202C), so that its
// punctuation and the Latin words in it (a product name) take their places whatever direction the
// control draws in.
std::string EmbeddedRightToLeft(const std::string& text);

// Of the tags offered ("de", "zh-CN"), the one for the user's language ("de-AT"): the same language
// and region, else the same language (its bare tag first), else none (-1: English). Tags compare
// without regard to case. Chinese of Hong Kong and Macau takes Taiwan's traditional script before
// any other Chinese.
int ChooseLanguage(const std::string& userTag, const std::vector<std::string>& offered);

}  // namespace core
