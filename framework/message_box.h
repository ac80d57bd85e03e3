#pragma once
// Message boxes captioned with the program's name. Without an icon in the type, the exclamation
// icon is used, as the program's other boxes do. A box with an owner is modal to it: the owner is
// disabled until the box is closed.

#include <windows.h>

#include <string>

// The text in UTF-8.
int AfxMessageBox(const std::string& text, UINT type = MB_OK, HWND owner = nullptr);
