#include "system_error.h"

#include "utf8.h"

std::string SystemErrorText(DWORD error, const std::string& subject) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result;
    if (length && text) result = Utf8(std::wstring(text, length));
    if (text) ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    if (result.empty()) result = "Error " + std::to_string(error) + ".";
    for (size_t at = result.find("%1"); at != std::string::npos; at = result.find("%1", at + subject.size()))
        result.replace(at, 2, subject);
    return result;
}
