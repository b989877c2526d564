// UTF-8 <-> UTF-16 for the edges of the program (command line, files,
// exception texts). Invalid input becomes U+FFFD; nothing here throws.
#pragma once

#include <string>
#include <string_view>

namespace ambrelix {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Whether every byte belongs to a valid UTF-8 sequence (no overlong forms,
// no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view utf8);

// The bytes the first `characters` characters take: a valid sequence is one
// character, and so is each byte outside one.
std::size_t Utf8CharactersPrefix(std::string_view utf8, std::size_t characters);

}  // namespace ambrelix
