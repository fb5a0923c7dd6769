#pragma once

namespace rtf {

// The character a byte stands for in a Windows code page. Code pages without a table here (the
// double-byte Asian ones, Mac, DOS) are read as 1252, the most common one.
char16_t decodeByte(int codePage, unsigned char byte);

bool knowsCodePage(int codePage);

} // namespace rtf
