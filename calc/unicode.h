// UTF-8 <-> UTF-16 for the edges of the program (command line, files,
// exception texts). Invalid input becomes U+FFFD; nothing here throws.
#pragma once

#include <string>
#include <string_view>

namespace ambrelix {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace ambrelix
