#pragma once
// The licence text as the wizard shows it, made from the bytes of the licence file.

#include <string>

// Reads the bytes as a text file would be read line by line: a CR LF pair is one line end, a
// Ctrl+Z byte ends the file, and every line (empty lines too, and a last line without a line end)
// is followed by "\r\n". An empty file gives an empty text. Bytes are kept as they are (ANSI).
std::string LicenceTextFromBytes(const std::string& bytes);
