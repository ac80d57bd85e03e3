#pragma once
// The application folder, cut from the program's full path.

#include <string>

namespace core {

// The path (UTF-8) up to and including its last backslash; empty when there is none. No byte of a
// multi-byte UTF-8 character has the value of a backslash, so a byte search is exact.
std::string AppDirFromModulePath(const std::string& path);

}  // namespace core
