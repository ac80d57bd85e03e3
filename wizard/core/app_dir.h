#pragma once
// The application folder, cut from the program's full path.

#include <string>

namespace core {

// Tells whether a byte starts a double-byte character in the system's ANSI code page.
using LeadByteTest = bool (*)(unsigned char byte);

// The path up to and including its last backslash, found walking by characters so that the second
// byte of a double-byte character is never taken for one. Empty when there is no backslash.
std::string AppDirFromModulePath(const std::string& path, LeadByteTest isLeadByte);

// What choosing the spelling of the program's path needs from Windows.
class PathSpelling {
public:
    virtual ~PathSpelling() = default;
    // The path in the ANSI code page; false when a character of it has no spelling there.
    virtual bool ToAnsi(const std::u16string& path, std::string& ansi) const = 0;
    // The path's short (8.3) form; empty when the volume keeps none.
    virtual std::u16string ShortForm(const std::u16string& path) const = 0;
};

// The program's path as the narrow ("A") calls can take it: as it is, when the ANSI code page
// spells it without loss; else its short form, when that is spelt without loss. False when
// neither is: every path built from a lossy form would name a folder that does not exist.
bool NarrowModulePath(const std::u16string& widePath, const PathSpelling& spelling, std::string& narrow);

// The folder part of a wide path, up to and including its last backslash; empty when it has none.
std::u16string WideFolderOf(const std::u16string& path);

}  // namespace core
