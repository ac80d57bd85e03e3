#include "app_dir.h"

namespace core {

std::string AppDirFromModulePath(const std::string& path, LeadByteTest isLeadByte) {
    size_t cut = 0;  // one past the last backslash; 0 when none was seen
    size_t i = 0;
    while (i < path.size()) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c == '\\') {
            cut = i + 1;
            ++i;
        } else if (isLeadByte && isLeadByte(c) && i + 1 < path.size() && path[i + 1] != '\0') {
            i += 2;
        } else {
            ++i;
        }
    }
    return path.substr(0, cut);
}

bool NarrowModulePath(const std::u16string& widePath, const PathSpelling& spelling, std::string& narrow) {
    if (spelling.ToAnsi(widePath, narrow)) return true;
    const std::u16string shortForm = spelling.ShortForm(widePath);
    return !shortForm.empty() && spelling.ToAnsi(shortForm, narrow);
}

std::u16string WideFolderOf(const std::u16string& path) {
    const size_t last = path.find_last_of(u'\\');
    return last == std::u16string::npos ? std::u16string() : path.substr(0, last + 1);
}

}  // namespace core
