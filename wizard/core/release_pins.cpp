#include "release_pins.h"

namespace core {

const char* const kFilesCheckedAtStart[5] = {kLicenceFileName, "main96DPI.jpg", "main125DPI.jpg", "main150DPI.jpg",
                                              kAnimationFileName};

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

std::string ChangedFilesMessage(const std::vector<ChangedFile>& files) {
    std::string text = "The set-up files are damaged or have been changed:\r\n\r\n";
    for (const ChangedFile& file : files) text += file.path + (file.missing ? " (missing)" : "") + "\r\n";
    text +=
        "\r\nSet-up cannot continue. Get a fresh copy of the set-up (from the adapter's disc or its download "
        "page) and start it again.";
    return text;
}

}  // namespace core
