#pragma once
// The application folder, cut from the program's full path.

#include <string>

// Tells whether a byte starts a double-byte character in the system's ANSI code page.
using LeadByteTest = bool (*)(unsigned char byte);

// The path up to and including its last backslash, found walking by characters so that the second
// byte of a double-byte character is never taken for one. Empty when there is no backslash.
std::string AppDirFromModulePath(const std::string& path, LeadByteTest isLeadByte);
