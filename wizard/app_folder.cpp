#include "app_folder.h"

#include "app_dir.h"
#include "code_page.h"
#include "module_path.h"

namespace {

// wchar_t is UTF-16 on Windows: the portable code spells it char16_t.
std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

class FileSystemSpelling : public core::PathSpelling {
public:
    bool ToAnsi(const std::u16string& path, std::string& ansi) const override {
        return WideToAnsiLossless(Wide(path), ansi);
    }
    std::u16string ShortForm(const std::u16string& path) const override { return Utf16(ShortPathName(Wide(path))); }
};

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

}  // namespace

AppFolder FindAppFolder() {
    const std::u16string widePath = Utf16(ModuleFileNameWide(nullptr));
    AppFolder folder;
    std::string narrowPath;
    folder.usable = core::NarrowModulePath(widePath, FileSystemSpelling(), narrowPath);
    if (folder.usable)
        folder.narrow = core::AppDirFromModulePath(narrowPath, &IsAnsiLeadByte);
    else
        folder.realName = Wide(core::WideFolderOf(widePath));
    return folder;
}
