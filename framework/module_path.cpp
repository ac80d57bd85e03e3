#include "module_path.h"

#include <vector>

namespace {

// A path may be longer than MAX_PATH; grow until the name fits (XP does not report truncation
// with an error, only by filling the buffer).
template <typename Char, typename GetName>
std::basic_string<Char> GrowingModuleFileName(HMODULE module, GetName getName) {
    std::vector<Char> buffer(MAX_PATH);
    for (;;) {
        const DWORD got = getName(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) return std::basic_string<Char>();
        if (got < buffer.size() - 1) return std::basic_string<Char>(buffer.data(), got);
        if (buffer.size() >= 32768) return std::basic_string<Char>();
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string ModuleFileName(HMODULE module) { return GrowingModuleFileName<char>(module, &::GetModuleFileNameA); }

std::wstring ModuleFileNameWide(HMODULE module) {
    return GrowingModuleFileName<wchar_t>(module, &::GetModuleFileNameW);
}

std::wstring ShortPathName(const std::wstring& path) {
    const DWORD needed = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return std::wstring();
    std::vector<wchar_t> buffer(needed);
    const DWORD got = ::GetShortPathNameW(path.c_str(), buffer.data(), needed);
    if (got == 0 || got >= needed) return std::wstring();
    return std::wstring(buffer.data(), got);
}

std::string ModuleBaseName(const std::string& path) {
    // Walk by characters of the ANSI code page: the trail byte of a double-byte character may
    // have the value of a backslash. A '.' never does (trail bytes are 0x40 and up).
    size_t nameStart = 0;
    for (const char* p = path.c_str(); *p; p = ::CharNextA(p)) {
        if (*p == '\\' || *p == '/') nameStart = static_cast<size_t>(p - path.c_str()) + 1;
    }
    std::string name = path.substr(nameStart);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string SystemDirectory() {
    char buffer[MAX_PATH];
    const UINT got = ::GetSystemDirectoryA(buffer, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) return std::string();
    return std::string(buffer, got);
}

HMODULE LoadSystemLibrary(const char* name, bool searchRestricted) {
    const std::string systemDir = SystemDirectory();
    if (systemDir.empty()) return nullptr;
    return ::LoadLibraryExA((systemDir + "\\" + name).c_str(), nullptr,
                            searchRestricted ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
}
