// The coil, the run and the number texts on the examples a user checks by
// hand, and the behaviour at the edges that matter for the display.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "calc/calculation_run.h"
#include "calc/coil.h"
#include "calc/number_text.h"
#include "calc/unicode.h"
#include "ui/result_writes.h"

namespace ambrelix {
namespace {

constexpr NumberSeparators kDot{u'.', u','};
constexpr NumberSeparators kComma{u',', u'.'};

std::string Fixed(Extended v, int k, NumberSeparators s = kDot) {
  return Utf16ToUtf8(NumberToFixedText(v, k, s));
}

CoilInputs DefaultCoil() {
  CoilInputs in;
  in.mode = SolveMode::HeightGiven;
  in.D = 80;
  in.P = TextToNumber(u"4.2", kDot);
  in.A = 101;
  in.OD = TextToNumber(u"3.2", kDot);
  in.ID = TextToNumber(u"1.2", kDot);
  in.t1 = 100;
  in.t2 = 120;
  return in;
}

TEST(ComputeCoil, DefaultCoilMatchesTheHandCalculation) {
  const CoilResults r = ComputeCoil(DefaultCoil());
  EXPECT_EQ(Fixed(r.G, 10), "1.0000000000");
  EXPECT_EQ(Fixed(r.n, 10), "23.2857142857");
  EXPECT_EQ(Fixed(r.L, 5), "5853.15544");
  EXPECT_EQ(Fixed(r.V, 5), "6619.76285");
  EXPECT_EQ(Fixed(r.h, 10), "97.8000000000");
  EXPECT_EQ(Fixed(r.O, 10), "83.2000000000");
  EXPECT_EQ(Fixed(r.I, 10), "76.8000000000");
  EXPECT_FALSE(r.gapWarning);
}

TEST(ComputeCoil, TailsCountOnlyWhenSwitchedOn) {
  struct Case {
    bool t1, t2;
    const char* length;
    const char* volume;
  };
  for (const Case& c :
       {Case{false, false, "5853.15544", "6619.76285"}, Case{true, false, "5953.15544", nullptr},
        Case{true, true, "6073.15544", "6868.57698"}}) {
    CoilInputs in = DefaultCoil();
    in.withT1 = c.t1;
    in.withT2 = c.t2;
    const CoilResults r = ComputeCoil(in);
    EXPECT_EQ(Fixed(r.L, 5), c.length) << c.t1 << c.t2;
    if (c.volume) {
      EXPECT_EQ(Fixed(r.V, 5), c.volume) << c.t1 << c.t2;
    }
  }
  CoilInputs off = DefaultCoil();
  off.t1 = -1e4000L;  // switched off: ignored however absurd
  off.t2 = std::numeric_limits<Extended>::max();
  EXPECT_EQ(Fixed(ComputeCoil(off).L, 5), "5853.15544");
}

TEST(ComputeCoil, TurnsGivenComputesTheHeight) {
  CoilInputs in = DefaultCoil();
  in.mode = SolveMode::TurnsGiven;
  in.n = 20;
  in.A = 12345;  // not read in this mode
  const CoilResults r = ComputeCoil(in);
  EXPECT_EQ(Fixed(r.A, 10), "87.2000000000");
  EXPECT_EQ(Fixed(r.h, 10), "84.0000000000");
  EXPECT_EQ(Fixed(r.L, 5), "5027.25007");
  EXPECT_EQ(Fixed(r.V, 5), "5685.68588");
  EXPECT_EQ(r.n, 20);
}

TEST(ComputeCoil, NoGapStillComputesEverything) {
  CoilInputs in = DefaultCoil();
  in.P = in.OD;
  CoilResults r = ComputeCoil(in);
  EXPECT_EQ(r.G, 0);
  EXPECT_TRUE(r.gapWarning);
  EXPECT_GT(r.n, 0);
  EXPECT_GT(r.V, 0);

  in.P = 2;
  r = ComputeCoil(in);
  EXPECT_LT(r.G, 0);
  EXPECT_TRUE(r.gapWarning);
}

TEST(ComputeCoil, FaultsCarryTheirMessages) {
  struct Case {
    const char* what;
    CoilInputs in;
    const char* message;
  };
  CoilInputs zeroPitch = DefaultCoil();
  zeroPitch.P = 0;
  CoilInputs zeroOverZero = zeroPitch;
  zeroOverZero.A = zeroOverZero.OD;
  CoilInputs vanishingPitch = DefaultCoil();
  vanishingPitch.P = 1e-30L;  // P - OD + OD rounds to exactly 0
  CoilInputs hugeDiameter = DefaultCoil();
  hugeDiameter.D = 1e2467L;
  for (const Case& c : {Case{"P = 0", zeroPitch, "Floating point division by zero"},
                        Case{"P = 0, A = OD", zeroOverZero, "Invalid floating point operation"},
                        Case{"P << OD", vanishingPitch, "Floating point division by zero"},
                        Case{"D*D beyond range", hugeDiameter, "Floating point overflow"}}) {
    try {
      ComputeCoil(c.in);
      ADD_FAILURE() << c.what << ": no fault";
    } catch (const ArithmeticFault& e) {
      EXPECT_EQ(Utf16ToUtf8(e.message()), c.message) << c.what;
    }
  }
}

TEST(ComputeCoil, TurnsGivenWithZeroPitchSucceeds) {
  CoilInputs in = DefaultCoil();
  in.mode = SolveMode::TurnsGiven;
  in.P = 0;
  in.n = 20;
  const CoilResults r = ComputeCoil(in);
  EXPECT_EQ(r.A, in.OD);
  EXPECT_EQ(r.h, 0);
  EXPECT_EQ(r.G, -in.OD);
  EXPECT_TRUE(r.gapWarning);
}

TEST(ComputeCoil, NegativeTurnsAndZeroBoreAreNotRangeChecked) {
  CoilInputs in = DefaultCoil();
  in.mode = SolveMode::TurnsGiven;
  in.n = -3;
  EXPECT_LT(ComputeCoil(in).L, 0);
  EXPECT_LT(ComputeCoil(in).V, 0);
  in.ID = 0;
  EXPECT_EQ(ComputeCoil(in).V, 0);
}

// The process default on Windows is 53-bit precision; the core must not
// depend on it, and must hand the caller's control word back.
TEST(X87Scope, ResultsDoNotDependOnTheCallersPrecisionControl) {
  const CoilResults expected = ComputeCoil(DefaultCoil());
  const Extended tenth = TextToNumber(u"0.1", kDot);

  const std::uint16_t doublePrecision = 0x027F;
  const std::uint16_t saved = X87Scope::Current();
  asm volatile("fldcw %0" ::"m"(doublePrecision));
  const CoilResults r = ComputeCoil(DefaultCoil());
  const Extended tenthUnder53 = TextToNumber(u"0.1", kDot);
  const std::u16string text = NumberToFixedText(expected.L, 15, kDot);
  const std::uint16_t after = X87Scope::Current();
  asm volatile("fldcw %0" ::"m"(saved));

  EXPECT_EQ(after, doublePrecision);
  EXPECT_EQ(std::memcmp(&r.L, &expected.L, 10), 0);
  EXPECT_EQ(std::memcmp(&r.V, &expected.V, 10), 0);
  EXPECT_EQ(std::memcmp(&tenth, &tenthUnder53, 10), 0);
  EXPECT_EQ(text, NumberToFixedText(expected.L, 15, kDot));
}

// What the x87 holds when the core hands back to a caller.
struct FpuAfterCall {
  std::uint16_t control;
  std::uint16_t status;
};

// Runs `call` under the caller's control word `word` and reads the x87 state
// at once with no-wait instructions, before anything could trap on a pending
// flag; then clears the flags and restores the test's own word. `call` must
// leave its results in memory, with no x87 instruction after the core returns.
template <class Call>
FpuAfterCall UnderCallerWord(std::uint16_t word, Call&& call) {
  const std::uint16_t saved = X87Scope::Current();
  asm volatile("fnclex\n\tfldcw %0" ::"m"(word) : "memory");
  call();
  FpuAfterCall after;
  asm volatile("fnstsw %0\n\tfnstcw %1" : "=m"(after.status), "=m"(after.control)::"memory");
  asm volatile("fnclex\n\tfldcw %0" ::"m"(saved) : "memory");
  return after;
}

// A host that runs in 53-bit precision, rounds toward zero and unmasks
// invalid operations, division by zero and overflow (as Delphi programs do)
// gets the results the core computes under its own word, bit for bit, and
// its word back with no exception pending, even after a division by zero.
TEST(X87Scope, HostWithUnmaskedExceptionsAndOtherRoundingGetsTheSameBits) {
  constexpr std::uint16_t kHostWord = 0x0E72;  // 53-bit, toward zero, IM ZM OM unmasked
  constexpr std::uint16_t kPendingExceptions = 0x003F;

  CoilInputs divideByZero = DefaultCoil();
  divideByZero.P = 0;
  const CoilResults expected = ComputeCoil(DefaultCoil());
  const Extended expectedTenth = TextToNumber(u"0.1", kDot);
  const std::u16string expectedText = NumberToFixedText(expected.L, 15, kDot);

  alignas(CoilResults) unsigned char storage[sizeof(CoilResults)];
  CoilResults* results = nullptr;
  const FpuAfterCall afterCoil = UnderCallerWord(
      kHostWord, [&] { results = ::new (storage) CoilResults(ComputeCoil(DefaultCoil())); });
  unsigned char tenth[sizeof(Extended)];
  const FpuAfterCall afterText = UnderCallerWord(kHostWord, [&] {
    const Extended value = TextToNumber(u"0.1", kDot);
    std::memcpy(tenth, &value, sizeof value);
  });
  std::u16string text;
  const FpuAfterCall afterFixed =
      UnderCallerWord(kHostWord, [&] { text = NumberToFixedText(expected.L, 15, kDot); });
  bool faulted = false;
  const FpuAfterCall afterFault = UnderCallerWord(kHostWord, [&] {
    try {
      ComputeCoil(divideByZero);
    } catch (const ArithmeticFault& e) {
      faulted = e.kind() == FaultKind::DivisionByZero;
    }
  });

  EXPECT_EQ(std::memcmp(&results->L, &expected.L, 10), 0);
  EXPECT_EQ(std::memcmp(&results->V, &expected.V, 10), 0);
  EXPECT_EQ(std::memcmp(&results->n, &expected.n, 10), 0);
  EXPECT_EQ(std::memcmp(tenth, &expectedTenth, 10), 0);
  EXPECT_EQ(text, expectedText);
  EXPECT_TRUE(faulted);
  for (const FpuAfterCall& after : {afterCoil, afterText, afterFixed, afterFault}) {
    EXPECT_EQ(after.control, kHostWord);
    EXPECT_EQ(after.status & kPendingExceptions, 0) << std::hex << after.status;
  }
}

struct ReadCase {
  const char16_t* text;
  std::optional<Extended> value;  // nullopt: rejected
};

TEST(TextToNumber, FollowsTheGrammar) {
  const ReadCase cases[] = {
      {u"  7.5  ", 7.5L}, {u"+7.5", 7.5L},    {u"7.5e0", 7.5L},   {u"75E-1", 7.5L},
      {u"7.5e", 7.5L},    {u"5.", 5.0L},      {u".5", 0.5L},      {u".", 0.0L},
      {u"-.", 0.0L},      {u"1e499", 1e499L}, {u"1e-4999", 0.0L}, {u"1e0000000003", 1000.0L},
      {u"7,500.0", {}},   {u"7.5 mm", {}},    {u"1.2.3", {}},     {u"1 2", {}},
      {u"1e5000", {}},    {u"-", {}},         {u"+", {}},         {u"", {}},
      {u"\t1", {}},       {u"1e4999", {}},    {u"e5", {}},        {u"--1", {}},
  };
  for (const ReadCase& c : cases) {
    const std::string shown = Utf16ToUtf8(c.text);
    if (c.value) {
      EXPECT_EQ(TextToNumber(c.text, kDot), *c.value) << '"' << shown << '"';
    } else {
      try {
        TextToNumber(c.text, kDot);
        ADD_FAILURE() << '"' << shown << "\" was accepted";
      } catch (const ConversionError& e) {
        EXPECT_EQ(e.what(), "'" + shown + "' is not a valid floating point value");
      }
    }
  }
}

TEST(TextToNumber, UsesTheRegionalDecimalSeparator) {
  EXPECT_EQ(TextToNumber(u"4,2", kComma), TextToNumber(u"4.2", kDot));
  EXPECT_THROW(TextToNumber(u"4.2", kComma), ConversionError);
  FixedSeparators provider(kDot);
  EXPECT_THROW(TextToNumber(u"4,200", provider), ConversionError);
  provider.Set(kComma);
  EXPECT_EQ(TextToNumber(u"4,200", provider), TextToNumber(u"4.2", kDot));
}

TEST(TextToNumberLenient, DropsThousandSeparatorsAndNeverFails) {
  EXPECT_EQ(TextToNumberLenient(u"1,234.5", kDot), 1234.5L);
  EXPECT_EQ(TextToNumberLenient(u"4,2", kDot), 42);
  EXPECT_EQ(TextToNumberLenient(u"4.2", kComma), 42);
  EXPECT_EQ(TextToNumberLenient(u"4.2", NumberSeparators{u',', u'\u00A0'}), 0);
  for (const char16_t* bad : {u"abc", u"", u"-", u"1.2.3", u"1e5000"})
    EXPECT_EQ(TextToNumberLenient(bad, kDot), 0) << Utf16ToUtf8(bad);
}

TEST(NumberToFixedText, RoundsHalvesAwayFromZeroAfterEighteenDigits) {
  struct Case {
    Extended value;
    int k;
    const char* text;
  };
  const Extended read2675 = TextToNumber(u"2.675", kDot);
  const Extended read1005 = TextToNumber(u"1.005", kDot);
  const Case cases[] = {
      {0.125L, 2, "0.13"},
      {-0.125L, 2, "-0.13"},
      {-0.004L, 2, "0.00"},
      {read2675, 2, "2.68"},
      {read1005, 2, "1.01"},
      {9.995L, 2, "10.00"},
      {1.5e20L, 2, "1.5E20"},
      {101, 3, "101.000"},
      {23.33L, 3, "23.330"},
      {0.0005L, 3, "0.001"},
      {-0.0004L, 3, "0.000"},
      {1.5e20L, 3, "1.5E020"},
      {0, 2, "0.00"},
      {-0.0L, 2, "0.00"},
      {1e18L, 2, "1E18"},
      {999999999999999999.5L, 2, "1E18"},
      {123456789012345678.0L, 2, "123456789012345678.00"},
      {0.005L, 2, "0.01"},
      {0.0049L, 2, "0.00"},
      {-1234.5L, 0, "-1235"},
      {std::numeric_limits<Extended>::denorm_min(), 2, "0.00"},
      {-std::numeric_limits<Extended>::min(), 3, "0.000"},
  };
  for (const Case& c : cases) EXPECT_EQ(Fixed(c.value, c.k), c.text) << c.text;
  EXPECT_EQ(Fixed(0.125L, 2, kComma), "0,13");
}

TEST(NumberToFixedText, RejectsValuesWithoutDigits) {
  EXPECT_THROW(NumberToFixedText(std::numeric_limits<Extended>::infinity(), 2, kDot),
               ArithmeticFault);
  EXPECT_THROW(NumberToFixedText(std::numeric_limits<Extended>::quiet_NaN(), 2, kDot),
               ArithmeticFault);
}

TEST(ErrorBoxText, AppendsAFullStopAfterCharactersAboveIt) {
  struct Case {
    const char16_t* message;
    const char16_t* shown;
  };
  for (const Case& c :
       {Case{u"value", u"value."}, Case{u"done.", u"done."}, Case{u"why?", u"why?."},
        Case{u"x:", u"x:."}, Case{u"(x)", u"(x)"}, Case{u"'q'", u"'q'"}, Case{u"a,", u"a,"},
        Case{u"a ", u"a "}, Case{u"wow!", u"wow!"}, Case{u"9", u"9."}, Case{u"", u""}})
    EXPECT_EQ(ErrorBoxText(c.message), c.shown) << Utf16ToUtf8(c.message);
}

// --- the run ---

struct Fields {
  std::u16string D = u"80", P = u"4.2", A = u"101", n = u"23.29", OD = u"3.2", ID = u"1.2",
                 t1 = u"100", t2 = u"120";
};

CalculationRequest Request(const Fields& f, std::optional<SolveMode> mode, bool t1 = false,
                           bool t2 = false) {
  CalculationRequest r;
  r.mode = mode;
  r.texts = {f.D, f.P, f.A, f.n, f.OD, f.ID, f.t1, f.t2};
  r.withT1 = t1;
  r.withT2 = t2;
  return r;
}

// A run as the calculator window shows it: its writes in order, then the notice.
struct Shown {
  std::vector<ui::Write> writes;
  bool gapWarning = false;
};

Shown RunAsShown(const CalculationRequest& request, const SeparatorProvider& separators) {
  const std::optional<CalculationOutcome> o = RunCalculation(request, separators);
  if (!o) return {};
  return {ui::ResultWrites(*o), o->gapWarning};
}

std::string Listing(const Shown& o) {
  std::string s;
  for (const ui::Write& w : o.writes)
    s += std::string(ui::TargetName(w.target)) + "=" + Utf16ToUtf8(w.text) + " ";
  return s;
}

TEST(RunCalculation, FirstRunDefaultsWriteEveryResultInOrder) {
  const FixedSeparators dot(kDot);
  const Shown o = RunAsShown(Request(Fields{}, SolveMode::HeightGiven), dot);
  EXPECT_EQ(Listing(o),
            "lbG=1.00 lbH=97.80 lbO=83.20 lbI=76.80 lbA2=101.00 lbG2=1.00 lbP2=4.20 lbID2=1.20 "
            "lbOD2=3.20 lbh2=97.80 lbI2=76.80 lbD2=80.00 lbO2=83.20 edN=23.29 edP=4.20 "
            "lbTotalLength=5.853M lbTotalVolume=6.62ml ");
  EXPECT_FALSE(o.gapWarning);
}

TEST(RunCalculation, TailsAndTurnsMode) {
  const FixedSeparators dot(kDot);
  const Shown tails = RunAsShown(Request(Fields{}, SolveMode::HeightGiven, true, true), dot);
  EXPECT_EQ(Utf16ToUtf8(tails.writes[15].text), "6.073M");
  EXPECT_EQ(Utf16ToUtf8(tails.writes[16].text), "6.87ml");

  Fields f;
  f.n = u"20";
  f.A = u"not read in this mode";
  const Shown turns = RunAsShown(Request(f, SolveMode::TurnsGiven), dot);
  EXPECT_EQ(Listing(turns),
            "edA=87.20 lbG=1.00 lbH=84.00 lbO=83.20 lbI=76.80 lbA2=87.20 lbG2=1.00 lbP2=4.20 "
            "lbID2=1.20 lbOD2=3.20 lbh2=84.00 lbI2=76.80 lbD2=80.00 lbO2=83.20 edP=4.20 "
            "lbTotalLength=5.027M lbTotalVolume=5.69ml ");
}

TEST(RunCalculation, NoModeSelectedReadsNothing) {
  Fields f;
  f.D = u"garbage";
  EXPECT_FALSE(RunCalculation(Request(f, std::nullopt), FixedSeparators(kDot)).has_value());
  const Shown o = RunAsShown(Request(f, std::nullopt), FixedSeparators(kDot));
  EXPECT_TRUE(o.writes.empty());
  EXPECT_FALSE(o.gapWarning);
}

TEST(RunCalculation, GapWarningComesWithAllResults) {
  Fields f;
  f.P = u"3.2";
  Shown o = RunAsShown(Request(f, SolveMode::HeightGiven), FixedSeparators(kDot));
  EXPECT_TRUE(o.gapWarning);
  EXPECT_EQ(o.writes.size(), 17u);
  EXPECT_EQ(Utf16ToUtf8(o.writes[0].text), "0.00");

  f.P = u"3.196";  // a gap of -0.004 shows as 0.00 but still warns
  o = RunAsShown(Request(f, SolveMode::HeightGiven), FixedSeparators(kDot));
  EXPECT_TRUE(o.gapWarning);
  EXPECT_EQ(Utf16ToUtf8(o.writes[0].text), "0.00");
  EXPECT_EQ(Utf16ToUtf8(o.writes[14].text), "3.20");  // edP rewritten with two decimals
}

TEST(RunCalculation, ReportsTheFirstFieldThatDoesNotRead) {
  struct Case {
    Fields f;
    SolveMode mode;
    const char* message;
  };
  Fields empty;
  empty.D = u"";
  Fields several;
  several.P = u"x";
  several.OD = u"y";
  several.t2 = u"z";
  Fields disabledTail;  // tails switched off still have to read
  disabledTail.t1 = u"1 2";
  Fields turnsIgnoresA;
  turnsIgnoresA.A = u"bad";
  turnsIgnoresA.n = u" n ";
  for (const Case& c :
       {Case{empty, SolveMode::HeightGiven, "'' is not a valid floating point value"},
        Case{several, SolveMode::HeightGiven, "'x' is not a valid floating point value"},
        Case{disabledTail, SolveMode::HeightGiven, "'1 2' is not a valid floating point value"},
        Case{turnsIgnoresA, SolveMode::TurnsGiven, "' n ' is not a valid floating point value"}}) {
    try {
      RunAsShown(Request(c.f, c.mode), FixedSeparators(kDot));
      ADD_FAILURE() << c.message;
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), std::string(c.message));
    }
  }
}

TEST(RunCalculation, RegionalCommaSeparator) {
  Fields f;
  f.P = u"4,2";
  f.OD = u"3,2";
  f.ID = u"1,2";
  const Shown o = RunAsShown(Request(f, SolveMode::HeightGiven), FixedSeparators(kComma));
  EXPECT_EQ(Utf16ToUtf8(o.writes[0].text), "1,00");
  EXPECT_EQ(Utf16ToUtf8(o.writes[15].text), "5,853M");

  f = Fields{};
  f.P = u"4,200";
  EXPECT_THROW(RunAsShown(Request(f, SolveMode::HeightGiven), FixedSeparators(kDot)),
               ConversionError);
}

TEST(RunCalculation, PitchIsRewrittenWithTwoDecimals) {
  Fields f;
  f.P = u"4.125";
  const Shown o = RunAsShown(Request(f, SolveMode::HeightGiven), FixedSeparators(kDot));
  EXPECT_EQ(Utf16ToUtf8(o.writes[6].text), "4.13");   // lbP2
  EXPECT_EQ(Utf16ToUtf8(o.writes[14].text), "4.13");  // edP
}

TEST(RunCalculation, ZeroPitchFailsBeforeAnyWrite) {
  Fields f;
  f.P = u"0";
  EXPECT_THROW(
      try {
        RunAsShown(Request(f, SolveMode::HeightGiven), FixedSeparators(kDot));
      } catch (const ArithmeticFault& e) {
        EXPECT_EQ(e.kind(), FaultKind::DivisionByZero);
        throw;
      },
      ArithmeticFault);
}

}  // namespace
}  // namespace ambrelix
