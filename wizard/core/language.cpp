#include "language.h"

#include "licence_encoding.h"

#include <algorithm>

namespace core {

namespace {

struct TextEntry {
    const char* key;
    const char* english;
};

// In the order of `Text`.
const TextEntry kEntries[kTextCount] = {
    {"title", "11ac Dual-Band Wi-Fi Skylark 48 Set-up"},
    {"welcome_title", "Welcome"},
    {"welcome_text",
     "We're ready to set-up your computer.\r\nThis will only take a few moments.\r\nTo continue, click Next"},
    {"welcome_label", "Welcome"},
    {"install_title", "Installing..."},
    {"installing", "Installing..."},
    {"finish_title", "Set-up complete, now plug your wireless\r\nadapter into a USB port on your computer"},
    {"finish_text", "Then click Finish.\r\n\r\nAll done!"},
    {"restart_title", "Set-up complete: restart your computer\r\nbefore you plug in your wireless adapter"},
    {"restart_text", "Click Finish, then restart your computer.\r\n\r\nThe driver works once Windows has restarted."},
    {"back", "< Back"},
    {"next", "Next"},
    {"cancel", "Cancel"},
    {"accept", "Accept"},
    {"finish", "Finish"},
    {"licence_name", "Licence agreement"},
    {"progress_name", "Installation progress"},
    {"animation_name", "Installing"},
    {"os_refused", "Driver not support Current OS type!"},
    {"unexpected_error",
     "Set-up stopped on an error it did not expect, and cannot tell whether the driver was installed.\r\n\r\n"
     "Start set-up again."},
    {"package_not_started", "The driver package could not be started:\r\n{path}\r\n\r\n{error}"},
    {"licence_unreadable", "The licence text could not be read from\r\n{path}\r\n\r\nSet-up cannot continue."},
    {"picture_missing", "{path} was not found."},
    {"picture_unreadable", "{path} could not be read."},
    {"private_folder_failed",
     "Set-up could not make a folder of its own for the driver package under the Windows temporary folder:\r\n\r\n"
     "{error}\r\n\r\nNothing was installed."},
    {"files_changed",
     "The set-up files are damaged or have been changed:\r\n\r\n{files}\r\nSet-up cannot continue. Get a fresh copy "
     "of the set-up (from the adapter's disc or its download page) and start it again."},
    {"files_unreadable", "Set-up could not read its files:\r\n\r\n{files}\r\nSet-up cannot continue."},
    {"file_missing", "{file} (missing)"},
    {"file_in_use", "{file} (in use by another program: close it and start set-up again)"},
    {"file_unreadable", "{file} (could not be read: {error})"},
    {"file_not_copied", "{file} (could not be copied for the driver package: {error})"},
    {"package_cancelled",
     "The driver was not installed: its installation was cancelled (code {code}).\r\n\r\nStart set-up again to try "
     "once more."},
    {"package_busy",
     "The driver was not installed: another installation is running on this computer (code {code}).\r\n\r\nWait "
     "until it has finished, then start set-up again."},
    {"package_unknown",
     "The driver package has ended, but set-up could not learn whether it installed the driver.\r\n\r\nStart set-up "
     "again to try once more."},
    {"package_failed",
     "The driver was not installed: the driver package ended with code {code}.\r\n\r\nStart set-up again to try "
     "once more."},
};

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');  // tags are ASCII
    }
    return text;
}

std::string PrimaryOf(const std::string& tag) { return Lower(tag.substr(0, tag.find('-'))); }

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

// The {names} of a text, in order.
std::vector<std::string> Placeholders(const std::string& text) {
    std::vector<std::string> names;
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
        const size_t close = text.find('}', open);
        if (close == std::string::npos) break;
        names.push_back(text.substr(open, close + 1 - open));
    }
    return names;
}

bool SameNames(std::vector<std::string> a, std::vector<std::string> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

// "\n" is a line break; any other backslash is kept as it is.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

const char* TextKey(Text text) { return kEntries[static_cast<size_t>(text)].key; }
const char* EnglishText(Text text) { return kEntries[static_cast<size_t>(text)].english; }

Language::Language() {
    for (size_t i = 0; i < kTextCount; ++i) m_texts[i] = kEntries[i].english;
}

bool Language::RightToLeft() const {
    const std::string primary = PrimaryOf(m_tag);
    return primary == "ar" || primary == "he" || primary == "fa" || primary == "ur";
}

unsigned char Language::Charset() const {
    const std::string tag = Lower(m_tag), primary = PrimaryOf(m_tag);
    if (primary == "zh") return tag == "zh-tw" || tag == "zh-hk" || tag == "zh-mo" ? 136 : 134;  // Big5, GB2312
    const struct {
        const char* primary;
        unsigned char charset;
    } kScripts[] = {{"ja", 128}, {"ko", 129}, {"ar", 178}, {"fa", 178}, {"ur", 178}, {"he", 177},
                    {"el", 161}, {"tr", 162}, {"th", 222}, {"ru", 204}, {"uk", 204}, {"bg", 204},
                    {"sr", 204}, {"pl", 238}, {"cs", 238}, {"hu", 238}, {"ro", 238}, {"vi", 163}};
    for (const auto& script : kScripts) {
        if (primary == script.primary) return script.charset;
    }
    return 0;
}

LanguageFile ParseLanguageFile(const std::string& tag, const std::string& bytes) {
    LanguageFile file;
    file.language.m_tag = tag;
    if (!IsValidUtf8(bytes)) {
        file.problems.push_back(tag + ": the file is not valid UTF-8");
        return file;
    }
    std::array<bool, kTextCount> seen = {};
    size_t lineNumber = 0;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = Trimmed(bytes.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        const std::string where = tag + " line " + std::to_string(lineNumber);
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            file.problems.push_back(where + ": no \"key = text\"");
            continue;
        }
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string text = Unescaped(Trimmed(line.substr(equals + 1)));
        size_t index = 0;
        while (index < kTextCount && key != kEntries[index].key) ++index;
        if (index == kTextCount) {
            file.problems.push_back(where + ": unknown key \"" + key + "\"");
        } else if (seen[index]) {
            file.problems.push_back(where + ": \"" + key + "\" given twice");
        } else if (text.empty()) {
            file.problems.push_back(where + ": \"" + key + "\" has no text");
        } else if (!SameNames(Placeholders(text), Placeholders(kEntries[index].english))) {
            file.problems.push_back(where + ": \"" + key + "\" must hold exactly the placeholders of its English");
        } else {
            seen[index] = true;
            file.language.m_texts[index] = text;
        }
    }
    for (size_t i = 0; i < kTextCount; ++i) {
        if (!seen[i]) file.problems.push_back(tag + ": \"" + kEntries[i].key + "\" is missing");
    }
    return file;
}

std::string Fill(const std::string& text, const std::vector<std::pair<const char*, std::string>>& values) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '{') {
            for (const auto& value : values) {
                const std::string name = std::string("{") + value.first + "}";
                if (text.compare(i, name.size(), name) == 0) {
                    out += value.second;
                    i += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

std::string EmbeddedRightToLeft(const std::string& text) {
    const std::string embed = "\xE2\x80\xAB", pop = "\xE2\x80\xAC";
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty()) out += embed + line + pop;
        if (end == std::string::npos) break;
        out += "\r\n";
        start = end + 2;
    }
    return out;
}

int ChooseLanguage(const std::string& userTag, const std::vector<std::string>& offered) {
    const std::string user = Lower(userTag), primary = PrimaryOf(userTag);
    auto find = [&](const std::string& wanted) {
        for (size_t i = 0; i < offered.size(); ++i) {
            if (Lower(offered[i]) == wanted) return static_cast<int>(i);
        }
        return -1;
    };
    int found = find(user);
    if (found < 0) found = find(primary);
    if (found < 0 && (user == "zh-hk" || user == "zh-mo")) found = find("zh-tw");
    for (size_t i = 0; found < 0 && i < offered.size(); ++i) {
        if (PrimaryOf(offered[i]) == primary) found = static_cast<int>(i);
    }
    return found;
}

}  // namespace core
