#include "release_pins.h"

namespace core {

const char* const kFilesShown[5] = {kLicenceFileName, "main96DPI.jpg", "main125DPI.jpg", "main150DPI.jpg",
                                    kAnimationFileName};

bool IsShownFile(const std::string& name) {
    for (const char* shown : kFilesShown) {
        if (name == shown) return true;
    }
    return false;
}

namespace {

const char kCodesLine[] = "package-codes ";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "<64 hex>  <name>": false for anything else.
bool ParseLine(const std::string& line, std::pair<std::string, Sha256Digest>& pin) {
    if (line.size() <= 66 || line[64] != ' ' || line[65] != ' ') return false;
    for (size_t i = 0; i < 32; ++i) {
        const int high = HexValue(line[2 * i]);
        const int low = HexValue(line[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        pin.second[i] = static_cast<uint8_t>(high << 4 | low);
    }
    pin.first = line.substr(66);
    return true;
}

}  // namespace

bool ReleasePins::Matches(const std::string& name, const Sha256Digest& digest) const {
    for (const auto& pin : digests) {
        if (pin.first == name) return pin.second == digest;
    }
    return false;
}

std::vector<std::string> ReleasePins::PackageFiles() const {
    std::vector<std::string> names;
    for (const auto& pin : digests) {
        if (!IsShownFile(pin.first)) names.push_back(pin.first);
    }
    return names;
}

bool IsPlainRelativeName(const std::string& name) {
    size_t start = 0;
    for (;;) {
        const size_t end = name.find('/', start);
        const std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == "..") return false;
        for (const char c : part) {
            if (static_cast<unsigned char>(c) < 0x20 || std::string("\\:*?\"<>|").find(c) != std::string::npos)
                return false;
        }
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

ReleasePins ParseReleasePins(const std::string& text) {
    ReleasePins pins;
    pins.pinned = true;
    bool codesSeen = false;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) return {true, {}};  // a last line without its end: cut short
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, sizeof kCodesLine - 1, kCodesLine) == 0) {
            if (codesSeen || !ParsePackageCodes(line.substr(sizeof kCodesLine - 1), pins.packageCodes))
                return {true, {}};
            codesSeen = true;
            continue;
        }
        std::pair<std::string, Sha256Digest> pin;
        if (!ParseLine(line, pin)) return {true, {}};
        for (const auto& seen : pins.digests) {
            if (seen.first == pin.first) return {true, {}};  // two pins for one file: which is meant?
        }
        pins.digests.push_back(pin);
    }
    return pins;
}

std::string ChangedFilesMessage(const std::vector<ChangedFile>& files, const Language& language) {
    bool changed = false;
    std::string lines;
    for (const ChangedFile& file : files) {
        const std::vector<std::pair<const char*, std::string>> values = {{"file", file.path}, {"error", file.detail}};
        switch (file.problem) {
            case FileProblem::Differs:
                changed = true;
                lines += file.path;
                break;
            case FileProblem::Missing:
                changed = true;
                lines += Fill(language[Text::FileMissing], values);
                break;
            case FileProblem::InUse:
                lines += Fill(language[Text::FileInUse], values);
                break;
            case FileProblem::Unreadable:
                lines += Fill(language[Text::FileUnreadable], values);
                break;
            case FileProblem::NotCopied:
                lines += Fill(language[Text::FileNotCopied], values);
                break;
        }
        lines += "\r\n";
    }
    return Fill(language[changed ? Text::FilesChanged : Text::FilesUnreadable], {{"files", lines}});
}

}  // namespace core
