#include "user_language.h"

#include "utf8.h"

#include <windows.h>

#include <vector>

namespace {

const wchar_t kLanguageType[] = L"WIZARD_TEXTS";

BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    if (!IS_INTRESOURCE(name)) reinterpret_cast<std::vector<std::string>*>(names)->push_back(Utf8(name));
    return TRUE;
}

std::string LocaleName(LCID locale, LCTYPE what) {
    wchar_t buffer[16] = {};
    return ::GetLocaleInfoW(locale, what, buffer, 16) > 0 ? Utf8(buffer) : std::string();
}

std::string ResourceBytes(const std::string& name) {
    const HRSRC found = ::FindResourceW(nullptr, Widen(name).c_str(), kLanguageType);
    const HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), ::SizeofResource(nullptr, found)) : std::string();
}

}  // namespace

std::string UserLanguageTag() {
    const LCID locale = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
    const std::string language = LocaleName(locale, LOCALE_SISO639LANGNAME);
    const std::string region = LocaleName(locale, LOCALE_SISO3166CTRYNAME);
    return region.empty() ? language : language + "-" + region;
}

core::Language ChooseUserLanguage() {
    std::vector<std::string> offered;
    ::EnumResourceNamesW(nullptr, kLanguageType, &AddName, reinterpret_cast<LONG_PTR>(&offered));
    const int chosen = core::ChooseLanguage(UserLanguageTag(), offered);
    if (chosen < 0) return core::Language();
    // The release checked every file it built in; one that still fails here is not shown in part.
    const core::LanguageFile file = core::ParseLanguageFile(offered[static_cast<size_t>(chosen)],
                                                            ResourceBytes(offered[static_cast<size_t>(chosen)]));
    return file.Ok() ? file.language : core::Language();
}
