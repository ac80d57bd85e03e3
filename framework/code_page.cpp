#include "code_page.h"

#include <vector>

namespace {

std::string ToAnsi(const std::wstring& text, BOOL* usedDefault) {
    if (text.empty()) return std::string();
    const int units = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr, 0, nullptr, usedDefault);
    if (length <= 0) return std::string();
    std::vector<char> ansi(static_cast<size_t>(length));
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, ansi.data(), length, nullptr, usedDefault);
    return std::string(ansi.data(), ansi.size());
}

}  // namespace

bool WideToAnsiLossless(const std::wstring& text, std::string& ansi) {
    BOOL usedDefault = FALSE;
    ansi = ToAnsi(text, &usedDefault);
    // The way back must give the same text: a conversion that failed gives an empty string.
    return !usedDefault && AnsiToWide(ansi) == text;
}

std::string WideToAnsi(const std::wstring& text) { return ToAnsi(text, nullptr); }

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int bytes = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, wide.data(), length);
    return std::wstring(wide.data(), wide.size());
}
