#include "utf8.h"

#include <cwchar>
#include <vector>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty() || text.size() > 0x7FFFFFFF) return std::wstring();
    const int bytes = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), bytes, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), bytes, &wide[0], length);
    return wide;
}

std::string FromWide(const wchar_t* text, size_t units) {
    if (units == 0 || units > 0x7FFFFFFF) return std::string();
    const int count = static_cast<int>(units);
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, count, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

}  // namespace

std::wstring Widen(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }

std::string Utf8(const std::wstring& text) { return FromWide(text.data(), text.size()); }

std::string Utf8(const wchar_t* text) { return text ? FromWide(text, std::wcslen(text)) : std::string(); }

std::string AnsiToUtf8(const std::string& ansi) { return Utf8(ToWide(CP_ACP, ansi)); }
