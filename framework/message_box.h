#pragma once
// Message boxes captioned with the program's name. Without an icon in the type, the exclamation
// icon is used, as the program's other boxes do.

#include <windows.h>

#include <string>

int AfxMessageBox(const std::string& text, UINT type = MB_OK, HWND owner = nullptr);
