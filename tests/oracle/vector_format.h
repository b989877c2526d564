// The vector file shared by the native generator and the Windows check. One
// record a line, fields separated by single spaces; numbers as exact bit
// patterns (extended_bits.h), texts as "u" and four hex digits per UTF-16 unit.
//
//   ambrelix-oracle-vectors 1
//   seed <seed>
//   power <table 0..2> <index> <bits>
//   read <decimal separator> <text> value <bits> | error
//   coil <H|T> <tail 1 on> <tail 2 on> <D P A n OD ID t1 t2>
//        value <G h O I A n L V> <gap warning> | fault <kind>
//   length <tail 1 on> <tail 2 on> <D P OD ID t1 t2 tube metres>
//          value <G h O I A n L V> <gap warning> | fault <kind> | tails-longer
//   extras <OD ID L> <density bits | none>
//          value <outside inside metal> <mass bits | none> | fault <kind>
//   fixed <bits> <decimals> <decimal separator> <text>
//   end <number of records>
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "calc/errors.h"

namespace ambrelix::oracle {

inline constexpr std::string_view kVectorFileHeader = "ambrelix-oracle-vectors 2";

inline std::string EncodeText(std::u16string_view text) {
  std::string out = "u";
  for (char16_t c : text) {
    char unit[8];
    std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(c));
    out += unit;
  }
  return out;
}

inline std::optional<std::u16string> DecodeText(std::string_view encoded) {
  if (encoded.empty() || encoded[0] != 'u' || (encoded.size() - 1) % 4 != 0) return std::nullopt;
  std::u16string out;
  for (std::size_t i = 1; i < encoded.size(); i += 4) {
    unsigned unit = 0;
    for (char c : encoded.substr(i, 4)) {
      const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (v < 0) return std::nullopt;
      unit = unit * 16 + static_cast<unsigned>(v);
    }
    out += static_cast<char16_t>(unit);
  }
  return out;
}

inline const char* FaultName(FaultKind kind) {
  switch (kind) {
    case FaultKind::DivisionByZero:
      return "division-by-zero";
    case FaultKind::InvalidOperation:
      return "invalid-operation";
    case FaultKind::Overflow:
      return "overflow";
  }
  return "?";
}

inline std::optional<FaultKind> FaultFromName(std::string_view name) {
  for (FaultKind kind :
       {FaultKind::DivisionByZero, FaultKind::InvalidOperation, FaultKind::Overflow})
    if (name == FaultName(kind)) return kind;
  return std::nullopt;
}

}  // namespace ambrelix::oracle
