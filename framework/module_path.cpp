#include "module_path.h"

#include "utf8.h"

#include <vector>

std::string ModuleFileName(HMODULE module) {
    // A path may be longer than MAX_PATH; grow until the name fits (XP does not report truncation
    // with an error, only by filling the buffer).
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD got = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) return std::string();
        if (got < buffer.size() - 1) return Utf8(std::wstring(buffer.data(), got));
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string ModuleBaseName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string SystemDirectory() {
    wchar_t buffer[MAX_PATH];
    const UINT got = ::GetSystemDirectoryW(buffer, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) return std::string();
    return Utf8(std::wstring(buffer, got));
}

HMODULE LoadSystemLibrary(const char* name, bool searchRestricted) {
    const std::string systemDir = SystemDirectory();
    if (systemDir.empty()) return nullptr;
    return ::LoadLibraryExW(Widen(systemDir + "\\" + name).c_str(), nullptr,
                            searchRestricted ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
}
