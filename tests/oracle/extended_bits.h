// The 80-bit extended format as raw fields, so the oracles can compare
// results bit for bit and write them to a file as exact text: "SEEE:MMMMMMMMMMMMMMMM",
// sign-and-biased-exponent then the 64-bit significand with its explicit
// integer bit, both in hexadecimal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace ambrelix::oracle {

struct ExtendedBits {
  std::uint16_t signExponent = 0;
  std::uint64_t significand = 0;

  bool negative() const { return (signExponent & 0x8000) != 0; }
  int biasedExponent() const { return signExponent & 0x7FFF; }
  friend bool operator==(const ExtendedBits&, const ExtendedBits&) = default;
};

static_assert(sizeof(long double) >= 10, "long double must hold the 80-bit format");

// x87 memory layout, little-endian: eight significand bytes, then sign and exponent.
inline ExtendedBits BitsOf(long double x) {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &x, sizeof bytes);
  ExtendedBits b;
  std::memcpy(&b.significand, bytes, 8);
  std::memcpy(&b.signExponent, bytes + 8, 2);
  return b;
}

inline long double FromBits(ExtendedBits b) {
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &b.significand, 8);
  std::memcpy(bytes + 8, &b.signExponent, 2);
  long double x;
  std::memcpy(&x, bytes, sizeof x);
  return x;
}

// Only the ten value bytes count: the padding of long double is not part of the value.
inline bool SameBits(long double a, long double b) { return BitsOf(a) == BitsOf(b); }

inline std::string ToHex(ExtendedBits b) {
  char text[24];
  std::snprintf(text, sizeof text, "%04X:%016llX", static_cast<unsigned>(b.signExponent),
                static_cast<unsigned long long>(b.significand));
  return text;
}

inline std::string ToHex(long double x) { return ToHex(BitsOf(x)); }

inline std::optional<ExtendedBits> ParseHex(std::string_view text) {
  if (text.size() != 21 || text[4] != ':') return std::nullopt;
  auto nibbles = [](std::string_view digits, std::uint64_t& out) {
    out = 0;
    for (char c : digits) {
      int v;
      if (c >= '0' && c <= '9') {
        v = c - '0';
      } else if (c >= 'A' && c <= 'F') {
        v = c - 'A' + 10;
      } else if (c >= 'a' && c <= 'f') {
        v = c - 'a' + 10;
      } else {
        return false;
      }
      out = out << 4 | static_cast<std::uint64_t>(v);
    }
    return true;
  };
  std::uint64_t head, tail;
  if (!nibbles(text.substr(0, 4), head) || !nibbles(text.substr(5), tail)) return std::nullopt;
  return ExtendedBits{static_cast<std::uint16_t>(head), tail};
}

}  // namespace ambrelix::oracle
