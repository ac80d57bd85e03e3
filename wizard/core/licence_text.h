#pragma once
// The licence text as the wizard shows it, made from the bytes of the licence file.

#include <functional>
#include <string>

namespace core {

// Reads the bytes as a text file would be read line by line: a CR LF pair is one line end, a
// Ctrl+Z byte ends the file, and every line (empty lines too, and a last line without a line end)
// is followed by "\r\n". An empty file gives an empty text. Bytes are kept as they are (ANSI).
std::string LicenceTextFromBytes(const std::string& bytes);

// Unicode text in the program's ANSI code page; a character the code page lacks becomes the
// system's replacement character.
using UnicodeToAnsi = std::function<std::string(const std::u16string& text)>;

// The licence file's text in any of the encodings vendors save it in (licence_encoding.h), in the
// ANSI code page, with its lines made as LicenceTextFromBytes makes them. ANSI files are taken
// exactly as LicenceTextFromBytes takes them.
std::string LicenceTextFromFile(const std::string& bytes, const UnicodeToAnsi& toAnsi);

}  // namespace core
