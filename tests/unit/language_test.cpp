// The choice of language, and the language files: the parser's checks and the files shipped.
#include "language.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace core;

namespace {

TEST(Language, TheUsersLanguageThenItsPrimaryThenEnglish) {
    const std::vector<std::string> shipped = {"zh-CN", "zh-TW", "de", "fr", "es", "ru", "ja", "ar"};
    const struct {
        const char* user;
        const char* chosen;  // nullptr: English
    } cases[] = {
        {"de-DE", "de"},    {"de-AT", "de"},    {"DE-ch", "de"},    {"zh-CN", "zh-CN"}, {"zh-TW", "zh-TW"},
        {"zh-SG", "zh-CN"}, {"zh-HK", "zh-TW"}, {"zh-MO", "zh-TW"}, {"ja-JP", "ja"},    {"ar-SA", "ar"},
        {"ar-EG", "ar"},    {"pt-BR", nullptr}, {"en-US", nullptr}, {"", nullptr},      {"x", nullptr},
    };
    for (const auto& c : cases) {
        const int index = ChooseLanguage(c.user, shipped);
        EXPECT_EQ(index < 0 ? std::string("English") : shipped[size_t(index)], c.chosen ? c.chosen : "English")
            << c.user;
    }
    // The exact region before the bare language, and any region of it before English.
    EXPECT_EQ(ChooseLanguage("pt-BR", {"pt", "pt-BR"}), 1);
    EXPECT_EQ(ChooseLanguage("pt-PT", {"en", "pt-BR"}), 1);
    EXPECT_EQ(ChooseLanguage("zh-HK", {"zh-CN"}), 0);
}

std::string Line(Text text, const std::string& value) { return std::string(TextKey(text)) + " = " + value + "\n"; }

// A file with every key, each text its English with "\r\n" written as "\n".
std::string CompleteFile() {
    std::string file = "# a comment\n\n";
    for (size_t i = 0; i < kTextCount; ++i) {
        std::string english = EnglishText(static_cast<Text>(i));
        for (size_t at = english.find("\r\n"); at != std::string::npos; at = english.find("\r\n", at))
            english.replace(at, 2, "\\n");
        file += Line(static_cast<Text>(i), english);
    }
    return file;
}

TEST(Language, AFileIsTakenOnlyWhole) {
    const LanguageFile complete = ParseLanguageFile("de", CompleteFile() + Line(Text::Next, "Weiter"));
    EXPECT_FALSE(complete.Ok()) << "a key given twice";

    std::string file = CompleteFile();
    file.replace(file.find("next = Next"), 11, "next = Weiter");
    const LanguageFile de = ParseLanguageFile("de", file);
    ASSERT_TRUE(de.Ok()) << de.problems.front();
    EXPECT_EQ(de.language[Text::Next], "Weiter");
    EXPECT_EQ(de.language[Text::WelcomeText], EnglishText(Text::WelcomeText)) << "\\n is a line break";
    EXPECT_FALSE(de.language.RightToLeft());
    EXPECT_TRUE(ParseLanguageFile("ar", file).language.RightToLeft());

    const struct {
        const char* name;
        std::string from, to;
        const char* problem;  // words the first problem reported holds
    } broken[] = {
        {"a key missing", "accept = Accept\n", "", "\"accept\" is missing"},
        {"an unknown key", "accept = Accept\n", "accept = Accept\naccepted = Yes\n", "unknown key \"accepted\""},
        {"no equals sign", "accept = Accept\n", "accept = Accept\naccept Accept\n", "line"},
        {"an empty text", "accept = Accept\n", "accept =\n", "no text"},
        {"a placeholder lost", "{code}).", "{Code}).", "placeholders"},
        {"a placeholder added", "{path} was not found.", "{path} {file} was not found.", "placeholders"},
        {"not UTF-8", "Accept\n", "Akz\xE9pt\n", "UTF-8"},
    };
    for (const auto& c : broken) {
        std::string text = CompleteFile();
        text.replace(text.find(c.from), c.from.size(), c.to);
        const LanguageFile parsed = ParseLanguageFile("de", text);
        ASSERT_FALSE(parsed.Ok()) << c.name;
        EXPECT_NE(parsed.problems[0].find(c.problem), std::string::npos) << c.name << ": " << parsed.problems[0];
    }
}

TEST(Language, RightToLeftLinesAreEmbeddedOneByOneAndScriptsGetTheirCharacterSets) {
    const std::string embed = "\xE2\x80\xAB", pop = "\xE2\x80\xAC";
    EXPECT_EQ(EmbeddedRightToLeft("a 48\r\n\r\nb."), embed + "a 48" + pop + "\r\n\r\n" + embed + "b." + pop);
    EXPECT_EQ(EmbeddedRightToLeft(""), "");
    const std::pair<const char*, int> charsets[] = {{"de", 0},      {"fr", 0},      {"ru", 204},    {"ja", 128},
                                                    {"zh-CN", 134}, {"zh-TW", 136}, {"ZH-HK", 136}, {"ar", 178}};
    std::string file = CompleteFile();
    for (const auto& c : charsets) EXPECT_EQ(ParseLanguageFile(c.first, file).language.Charset(), c.second) << c.first;
    EXPECT_EQ(Language().Charset(), 0) << "English";
}

TEST(Language, PlaceholdersAreFilledAndNothingElse) {
    EXPECT_EQ(Fill("{file} ({error}) {file} {other}", {{"file", "a{error}"}, {"error", "e"}}),
              "a{error} (e) a{error} {other}");
}

TEST(Language, EveryShippedFileIsComplete) {
    for (const char* tag : {"zh-CN", "zh-TW", "de", "fr", "es", "ru", "ja", "ar"}) {
        std::ifstream in(std::string(SKYLARK_LANGUAGES_DIR) + "/" + tag + ".txt", std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const LanguageFile file = ParseLanguageFile(tag, bytes.str());
        EXPECT_TRUE(file.Ok()) << (file.problems.empty() ? "" : file.problems.front());
        EXPECT_NE(file.language[Text::Title].find("Skylark 48"), std::string::npos) << tag;
    }
}

}  // namespace
