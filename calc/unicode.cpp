#include "calc/unicode.h"

namespace ambrelix {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

struct Sequence {
  char32_t c;
  std::size_t length;  // 0: no valid sequence starts here
};

// The multi-byte sequence at `i`, whose first byte is not ASCII.
Sequence DecodeSequence(std::string_view in, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(in[i]);
  const int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
  if (b0 > 0xF4 || extra < 0 || i + extra >= in.size()) return {0, 0};
  char32_t c = b0 & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(in[i + k]);
    if ((b & 0xC0) != 0x80) return {0, 0};
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
  return {c, static_cast<std::size_t>(extra) + 1};
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view in) {
  std::u16string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size();) {
    const auto b0 = static_cast<unsigned char>(in[i]);
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    }
    const Sequence s = DecodeSequence(in, i);
    if (s.length == 0) {
      out.push_back(static_cast<char16_t>(kReplacement));
      ++i;
      continue;
    }
    AppendUtf16(out, s.c);
    i += s.length;
  }
  return out;
}

bool IsValidUtf8(std::string_view in) {
  for (std::size_t i = 0; i < in.size();) {
    if (static_cast<unsigned char>(in[i]) < 0x80) {
      ++i;
      continue;
    }
    const Sequence s = DecodeSequence(in, i);
    if (s.length == 0) return false;
    i += s.length;
  }
  return true;
}

std::size_t Utf8CharactersPrefix(std::string_view in, std::size_t characters) {
  std::size_t i = 0;
  for (; i < in.size() && characters > 0; --characters) {
    const Sequence s =
        static_cast<unsigned char>(in[i]) < 0x80 ? Sequence{0, 1} : DecodeSequence(in, i);
    i += s.length == 0 ? 1 : s.length;
  }
  return i;
}

std::string Utf16ToUtf8(std::u16string_view in) {
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    char32_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace ambrelix
