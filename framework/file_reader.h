#pragma once
// Reads a whole file into memory. Files here are small (a licence, pictures), and read once.

#include "kernel_handles.h"

#include <windows.h>

#include <string>

struct FileReadResult {
    bool ok = false;
    DWORD error = ERROR_SUCCESS;  // the system's reason when !ok
    std::string bytes;
};

// Paths are UTF-8.

// Opens for reading, letting others read and write too. A file over 256 MiB is refused.
FileReadResult ReadWholeFile(const std::string& path);
// The same through a handle opened for reading and not yet read from.
FileReadResult ReadWholeFile(HANDLE file);

// Opens for reading and lets others only read: while `file` holds it, nobody can write, replace,
// rename or delete the file, nor rename the folders it lies in. False with the system's reason.
bool OpenHeldForReading(const std::string& path, CHandle& file, DWORD& error);
