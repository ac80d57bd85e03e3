#pragma once
// The application folder, as every narrow call of the program can take it.

#include <string>

struct AppFolder {
    bool usable = false;
    std::string narrow;     // with its trailing backslash: g_strAppDir's value when usable
    std::wstring realName;  // the folder as the file system spells it, for the message when not
};

// From the program's own path: as the narrow API reports it when that loses no character, else its
// short (8.3) form; not usable when neither spells it in the ANSI code page.
AppFolder FindAppFolder();
