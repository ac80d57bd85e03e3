#pragma once
// Reads a whole file into memory. Files here are small (a licence, pictures), and read once.

#include <windows.h>

#include <string>

struct FileReadResult {
    bool ok = false;
    DWORD error = ERROR_SUCCESS;  // the system's reason when !ok
    std::string bytes;
};

// Opens for reading, letting others read and write too. A file over 256 MiB is refused.
FileReadResult ReadWholeFile(const std::string& path);
