#pragma once
// The licence text as the wizard shows it, made from the bytes of the licence file.

#include <functional>
#include <string>

namespace core {

// Reads the bytes as a text file would be read line by line: a CR LF pair is one line end, a
// Ctrl+Z byte ends the file, and every line (empty lines too, and a last line without a line end)
// is followed by "\r\n". An empty file gives an empty text. Bytes are kept as they are.
std::string LicenceTextFromBytes(const std::string& bytes);

// Text in the system's ANSI code page as UTF-8.
using AnsiToUtf8 = std::function<std::string(const std::string& ansi)>;

// The licence file's text in any of the encodings vendors save it in (licence_encoding.h), as
// UTF-8, every character kept, with its lines made as LicenceTextFromBytes makes them.
std::string LicenceTextFromFile(const std::string& bytes, const AnsiToUtf8& fromAnsi);

}  // namespace core
