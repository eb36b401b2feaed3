#pragma once
// Text conversions. UTF-16 (std::u16string) is the engine's text; 8-bit
// strings are Windows-1252 (the ANSI code page) unless named otherwise. Every
// conversion of the project goes through these functions.

#include <string>
#include <string_view>

namespace km {

// Windows-1252 to UTF-16. The five bytes that the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the code points of the same value.
std::u16string AnsiToWide(std::string_view ansi);

// UTF-16 to Windows-1252; a code unit the code page cannot hold becomes '?'.
std::string WideToAnsi(std::u16string_view wide);

// True when the code unit has a Windows-1252 byte.
bool IsAnsiChar(char16_t c);

// The Windows-1252 byte of a code unit, or '?' when there is none.
char WideCharToAnsi(char16_t c);

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string Utf8ToWide(std::string_view utf8);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::u16string_view wide);

}  // namespace km
