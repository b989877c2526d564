// The constants written as bit patterns in the core against MPFR's nearest
// 64-bit roundings.
#include <gtest/gtest.h>

#include "calc/coil.h"
#include "calc/number_text.h"
#include "tests/oracle/failure_log.h"
#include "tests/oracle/mpfr_model.h"

namespace ambrelix::oracle {
namespace {

ExtendedBits NearestToPowerOfTen(unsigned long exponent) {
  Real power;
  mpfr_ui_pow_ui(power.get(), 10, exponent, MPFR_RNDN);
  return power.bits();
}

TEST(PowersOfTen, EveryTableEntryIsTheNearestExtendedValue) {
  struct Table {
    const char* name;
    const long double* entries;
    unsigned long count, step;
  };
  using namespace number_text_detail;
  const Table tables[] = {{"units", kPowersOfTenUnits, 32, 1},
                          {"thirty-seconds", kPowersOfTenThirtySeconds, 16, 32},
                          {"five-twelfths", kPowersOfTenFiveTwelfths, 10, 512}};
  for (const Table& table : tables) {
    for (unsigned long i = 0; i < table.count; ++i) {
      EXPECT_EQ(ToHex(table.entries[i]), ToHex(NearestToPowerOfTen(i * table.step)))
          << table.name << "[" << i << "] should be 10^" << i * table.step;
    }
  }
}

TEST(Pi, IsTheNearestExtendedValue) {
  Real pi;
  mpfr_const_pi(pi.get(), MPFR_RNDN);
  EXPECT_EQ(ToHex(kPi), ToHex(pi.bits()));
}

}  // namespace
}  // namespace ambrelix::oracle
