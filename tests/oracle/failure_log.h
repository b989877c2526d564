// Reporting for loops over thousands of cases: the first few failures in
// full, then only a count, so one fault does not bury the output.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "tests/oracle/extended_bits.h"

namespace ambrelix::oracle {

class FailureLog {
 public:
  void Add(const std::string& what) {
    if (count_++ < kShown) ADD_FAILURE() << what;
  }
  std::size_t count() const { return count_; }
  ~FailureLog() {
    if (count_ > kShown) ADD_FAILURE() << count_ << " failures in all";
  }

 private:
  static constexpr std::size_t kShown = 10;
  std::size_t count_ = 0;
};

inline std::string Describe(long double x) {
  char decimal[48];
  std::snprintf(decimal, sizeof decimal, "%.21Lg", x);
  return ToHex(x) + " (" + decimal + ")";
}

inline std::string Describe(ExtendedBits b) { return Describe(FromBits(b)); }

inline std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace ambrelix::oracle
