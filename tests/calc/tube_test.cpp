// What a length of tube gives, and the tube's surfaces, metal and mass, on
// examples checked by hand; the way back from a length to the turns.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>

#include "calc/coil.h"
#include "calc/number_text.h"
#include "calc/tube_extras.h"
#include "calc/unicode.h"

namespace ambrelix {
namespace {

constexpr NumberSeparators kDot{u'.', u','};

std::string Fixed(Extended v, int k) { return Utf16ToUtf8(NumberToFixedText(v, k, kDot)); }

Extended Read(const char16_t* text) { return TextToNumber(text, kDot); }

// The calculator's first-run coil.
CoilInputs DefaultCoil() {
  CoilInputs in;
  in.D = 80;
  in.P = Read(u"4.2");
  in.OD = Read(u"3.2");
  in.ID = Read(u"1.2");
  in.t1 = 100;
  in.t2 = 120;
  return in;
}

// Expected values from the formulas in 50-digit decimal arithmetic.
TEST(ComputeCoilFromLength, WindsTheTubeLeftAfterTheTails) {
  struct Case {
    const char* what;
    const char16_t* metres;
    bool t1, t2;
    const char *n, *A, *h, *L, *V;
  };
  const Case cases[] = {
      {"six metres", u"6", false, false, "23.8699086634", "103.4536163862", "100.2536163862",
       "6000.0000000000", "6785.8401317540"},
      {"six metres less both tails", u"6", true, true, "22.9946786791", "99.7776504520",
       "96.5776504520", "6000.0000000000", "6785.8401317540"},
      {"less tail 2 only", u"6", false, true, "23.3925104901", "101.4485440585", "98.2485440585",
       "6000.0000000000", "6785.8401317540"},
      {"all of it in tails", u"0.22", true, true, "0.0000000000", "3.2000000000", "0.0000000000",
       "220.0000000000", "248.8141381643"},
  };
  for (const Case& c : cases) {
    CoilInputs in = DefaultCoil();
    in.withT1 = c.t1;
    in.withT2 = c.t2;
    in.mode = SolveMode::HeightGiven;  // not read
    in.A = in.n = 12345;               // not read
    const CoilResults r = ComputeCoilFromLength(in, Read(c.metres));
    EXPECT_EQ(Fixed(r.n, 10), c.n) << c.what;
    EXPECT_EQ(Fixed(r.A, 10), c.A) << c.what;
    EXPECT_EQ(Fixed(r.h, 10), c.h) << c.what;
    EXPECT_EQ(Fixed(r.L, 10), c.L) << c.what;
    EXPECT_EQ(Fixed(r.V, 10), c.V) << c.what;
    EXPECT_EQ(Fixed(r.G, 10), "1.0000000000") << c.what;
    EXPECT_EQ(Fixed(r.O, 2), "83.20") << c.what;
    EXPECT_EQ(Fixed(r.I, 2), "76.80") << c.what;
    EXPECT_FALSE(r.gapWarning) << c.what;
  }
}

TEST(ComputeCoilFromLength, RefusesTailsLongerThanTheTubeAndAZeroTurn) {
  struct Case {
    const char* what;
    Extended D, P, metres;
    bool t1, t2;
    const char* message;
  };
  const Case cases[] = {
      {"tails longer than the tube", 80, 4.2L, 0.2L, true, true,
       "The tails are longer than the tube"},
      {"a tube of less than nothing", 80, 4.2L, -1, false, false,
       "The tails are longer than the tube"},
      {"no turn length", 0, 0, 6, false, false, "Floating point division by zero"},
      {"no turn length and nothing to wind", 0, 0, 0.1L, true, false,
       "Invalid floating point operation"},
      {"a tube beyond the range in millimetres", 80, 4.2L, 1e4930L, false, false,
       "Floating point overflow"},
  };
  for (const Case& c : cases) {
    CoilInputs in = DefaultCoil();
    in.D = c.D;
    in.P = c.P;
    in.withT1 = c.t1;
    in.withT2 = c.t2;
    try {
      ComputeCoilFromLength(in, c.metres);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const CalcError& e) {
      EXPECT_EQ(Utf16ToUtf8(e.message()), c.message) << c.what;
    }
  }
}

// Turns mode's length fed back in gives the turns back, to the rounding of
// the steps between: s × n, the metres and back, the tails off again, / s.
TEST(ComputeCoilFromLength, TheLengthOfGivenTurnsGivesThemBack) {
  std::mt19937_64 random(20261211);
  auto decimal = [&](int lo, int hi) {
    const long long hundredths =
        std::uniform_int_distribution<long long>(lo * 100, hi * 100)(random);
    return Read(Utf8ToUtf16(std::to_string(hundredths / 100) + "." +
                            std::to_string(100 + hundredths % 100).substr(1))
                    .c_str());
  };
  for (int i = 0; i < 20000; ++i) {
    CoilInputs in;
    in.mode = SolveMode::TurnsGiven;
    in.D = decimal(0, 2000);
    in.P = decimal(0, 50);
    in.n = decimal(0, 500);
    in.OD = decimal(0, 20);
    in.ID = decimal(0, 20);
    in.t1 = decimal(0, 5000);
    in.t2 = decimal(0, 5000);
    in.withT1 = random() % 2;
    in.withT2 = random() % 2;
    if (in.P == 0 && in.D == 0) continue;
    const CoilResults turns = ComputeCoil(in);
    const Extended metres = turns.L / 1000;
    const CoilResults back = ComputeCoilFromLength(in, metres);

    const Extended turn = std::sqrt(in.P * in.P + in.D * in.D * kPi * kPi);
    const Extended tails = (in.withT1 ? in.t1 : 0) + (in.withT2 ? in.t2 : 0);
    const Extended bound = 8 * 0x1p-64L * (in.n + tails / turn);
    EXPECT_LE(std::fabs(back.n - in.n), bound)
        << Fixed(in.n, 2) << " turns, tails " << Fixed(tails, 2) << ", turn " << Fixed(turn, 6);
    EXPECT_EQ(Fixed(back.n, 2), Fixed(in.n, 2));
  }
}

TEST(ComputeTubeExtras, SurfacesMetalAndMassOfTheFirstRunCoil) {
  struct Case {
    const char* what;
    Extended L;
    std::optional<Extended> density;
    const char *outside, *inside, *metal, *mass;
  };
  const Case cases[] = {
      {"six metres of copper", 6000, 8.96L, "0.06031857894892", "0.02261946710585",
       "41.46902302738527", "0.37156244632537"},
      {"no density, no mass", 6000, std::nullopt, "0.06031857894892", "0.02261946710585",
       "41.46902302738527", nullptr},
      {"no tube", 0, 8.96L, "0.00000000000000", "0.00000000000000", "0.00000000000000",
       "0.00000000000000"},
  };
  for (const Case& c : cases) {
    const TubeExtras x = ComputeTubeExtras(Read(u"3.2"), Read(u"1.2"), c.L, c.density);
    EXPECT_EQ(Fixed(x.outsideArea, 14), c.outside) << c.what;
    EXPECT_EQ(Fixed(x.insideArea, 14), c.inside) << c.what;
    EXPECT_EQ(Fixed(x.metalVolume, 14), c.metal) << c.what;
    EXPECT_EQ(x.mass.has_value(), c.mass != nullptr) << c.what;
    if (x.mass && c.mass) {
      EXPECT_EQ(Fixed(*x.mass, 14), c.mass) << c.what;
    }
  }
  // A bore wider than the tube is not range-checked: the metal comes out negative.
  EXPECT_LT(ComputeTubeExtras(1, 2, 100, 1).mass.value(), 0);
  EXPECT_THROW(ComputeTubeExtras(1e2500L, 0, 1, std::nullopt), ArithmeticFault);
}

TEST(Materials, HoldTheNearestValuesOfTheDocumentedDensities) {
  struct Case {
    const char* name;
    const char16_t* density;
  };
  const Case documented[] = {{"copper", u"8.96"},          {"brass", u"8.50"},
                             {"aluminium", u"2.70"},       {"carbon steel", u"7.85"},
                             {"stainless steel", u"7.93"}, {"titanium", u"4.51"}};
  EXPECT_EQ(kMaterials.size(), std::size(documented));
  for (const Case& c : documented) {
    const std::optional<Extended> density = MaterialDensity(c.name);
    ASSERT_TRUE(density) << c.name;
    EXPECT_EQ(*density, Read(c.density)) << c.name;
  }
  for (const char* unknown : {"Copper", "steel", "copper ", "", "carbon  steel"})
    EXPECT_FALSE(MaterialDensity(unknown)) << '"' << unknown << '"';
}

}  // namespace
}  // namespace ambrelix
