// language-check FILE: reads a language file ("de.txt": its name without ".txt" is its tag) with
// the wizard's own parser and prints what the wizard would show, for scripts/release to measure.
//   exit 0: "rtl yes|no", "charset N", then one "key<TAB>text" line per text (a line break in a
//           text as "\n"); exit 1: one problem a line; exit 2: usage or an unreadable file.
#include "language.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: language-check FILE\n");
        return 2;
    }
    const std::string path = argv[1];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "language-check: cannot read %s\n", path.c_str());
        return 2;
    }
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string tag = path.substr(path.find_last_of("/\\") + 1);
    if (tag.size() > 4 && tag.compare(tag.size() - 4, 4, ".txt") == 0) tag.erase(tag.size() - 4);

    const core::LanguageFile file = core::ParseLanguageFile(tag, bytes.str());
    if (!file.Ok()) {
        for (const std::string& problem : file.problems) std::printf("%s\n", problem.c_str());
        return 1;
    }
    std::printf("rtl %s\ncharset %d\n", file.language.RightToLeft() ? "yes" : "no", file.language.Charset());
    for (size_t i = 0; i < core::kTextCount; ++i) {
        const core::Text text = static_cast<core::Text>(i);
        std::string shown = file.language[text];
        for (size_t at = shown.find("\r\n"); at != std::string::npos; at = shown.find("\r\n", at + 2))
            shown.replace(at, 2, "\\n");
        std::printf("%s\t%s\n", core::TextKey(text), shown.c_str());
    }
    return 0;
}
