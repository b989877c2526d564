// ComputeCoil and ComputeCoilFromLength against their steps carried out in MPFR with the extended
// format's precision, range and subnormals: the same bits, or the same fault.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "calc/coil.h"
#include "tests/oracle/failure_log.h"
#include "tests/oracle/mpfr_model.h"
#include "tests/oracle/random_inputs.h"
#include "tests/oracle/vector_format.h"

namespace ambrelix::oracle {
namespace {

std::string Outcome(std::optional<FaultKind> fault) {
  return fault ? FaultName(*fault) : "no fault";
}

std::string DescribeInputs(const CoilInputs& in) {
  std::string s = in.mode == SolveMode::HeightGiven ? "HeightGiven" : "TurnsGiven";
  s += std::string(" t1 ") + (in.withT1 ? "on" : "off") + " t2 " + (in.withT2 ? "on" : "off");
  const std::pair<const char*, long double> fields[] = {{"D", in.D},   {"P", in.P},   {"A", in.A},
                                                        {"n", in.n},   {"OD", in.OD}, {"ID", in.ID},
                                                        {"t1", in.t1}, {"t2", in.t2}};
  for (const auto& [name, value] : fields) s += std::string(" ") + name + "=" + Describe(value);
  return s;
}

// Compares one computation with the model's: the same fault, the same
// refusal of the tails, or the same bits in every result.
template <class Compute>
void CheckAgainst(const CoilOutcome& model, const std::string& inputs, Compute compute,
                  FailureLog& failures) {
  std::optional<FaultKind> fault;
  bool tailsLonger = false;
  CoilResults r;
  try {
    r = compute();
  } catch (const ArithmeticFault& e) {
    fault = e.kind();
  } catch (const TailsLongerThanTube&) {
    tailsLonger = true;
  }
  if (fault != model.fault || tailsLonger != model.tailsLongerThanTube) {
    auto outcome = [](std::optional<FaultKind> f, bool tails) {
      return tails ? std::string("tails longer than the tube") : Outcome(f);
    };
    failures.Add(inputs + ": " + outcome(fault, tailsLonger) + ", model " +
                 outcome(model.fault, model.tailsLongerThanTube));
    return;
  }
  if (fault || tailsLonger) return;
  const std::string& in = inputs;
  const std::pair<const char*, std::pair<long double, ExtendedBits>> results[] = {
      {"G", {r.G, model.G}}, {"h", {r.h, model.h}}, {"O", {r.O, model.O}}, {"I", {r.I, model.I}},
      {"A", {r.A, model.A}}, {"n", {r.n, model.n}}, {"L", {r.L, model.L}}, {"V", {r.V, model.V}}};
  for (const auto& [name, values] : results) {
    if (BitsOf(values.first) != values.second)
      failures.Add(in + ": " + name + " = " + Describe(values.first) + ", model " +
                   Describe(values.second));
  }
  if (r.gapWarning != model.gapWarning) failures.Add(in + ": gap warning differs");
}

void CheckAgainstModel(const CoilInputs& in, FailureLog& failures) {
  CheckAgainst(
      ModelCoil(in), DescribeInputs(in), [&] { return ComputeCoil(in); }, failures);
}

void CheckLengthAgainstModel(const CoilInputs& in, long double metres, FailureLog& failures) {
  CheckAgainst(
      ModelCoilFromLength(in, metres), DescribeInputs(in) + " tube=" + Describe(metres),
      [&] { return ComputeCoilFromLength(in, metres); }, failures);
}

TEST(ComputeCoil, FollowsItsStepsBitForBitOnRandomAndExtremeInputs) {
  Random random(OracleSeed("ComputeCoil"));
  FailureLog failures;
  for (int i = 0; i < 60000; ++i) CheckAgainstModel(RandomCoilInputs(random), failures);
  EXPECT_EQ(failures.count(), 0u);
}

TEST(ComputeCoil, FollowsItsStepsAtTheThresholds) {
  using Limits = std::numeric_limits<long double>;
  const long double big = Limits::max();
  const long double tiny = Limits::denorm_min();
  const long double rootOfMax = 0x1p8192L;  // D × D overflows from here on
  struct Case {
    const char* what;
    CoilInputs in;
  };
  auto coil = [](SolveMode mode, long double D, long double P, long double A, long double n,
                 long double OD, long double ID) {
    CoilInputs in;
    in.mode = mode;
    in.D = D, in.P = P, in.A = A, in.n = n, in.OD = OD, in.ID = ID;
    in.t1 = 100, in.t2 = 120;
    in.withT1 = in.withT2 = true;
    return in;
  };
  constexpr auto H = SolveMode::HeightGiven;
  constexpr auto T = SolveMode::TurnsGiven;
  const Case cases[] = {
      {"P = 0", coil(H, 80, 0, 101, 0, 3.2L, 1.2L)},
      {"P = 0, A = OD", coil(H, 80, 0, 3.2L, 0, 3.2L, 1.2L)},
      {"P = -0, OD = 0, A = 0", coil(H, 80, -0.0L, 0, 0, 0, 1.2L)},
      {"P far below OD", coil(H, 80, 1e-30L, 101, 0, 3.2L, 1.2L)},
      {"D just below the square's limit", coil(T, std::nextafter(rootOfMax, 0.0L), 4, 0, 1, 3, 1)},
      {"D at the square's limit", coil(T, rootOfMax, 4, 0, 1, 3, 1)},
      {"D × D × π² overflows", coil(T, rootOfMax / 3, 4, 0, 1, 3, 1)},
      {"O = D + OD overflows", coil(T, big, 0, 0, 0, big, 0)},
      {"sum of two halves of the range", coil(T, 0, big / 2, 0, 2, big / 2, 0)},
      {"the largest n", coil(T, 1, 1, 0, big, 0, 0)},
      {"subnormal sizes", coil(H, tiny, tiny * 3, tiny * 7, 0, tiny, tiny)},
      {"squares that vanish", coil(T, 0x1p-8200L, 0x1p-8230L, 0, 1e30L, 0, 0x1p-16000L)},
      {"infinite n times a zero length", coil(T, 0, 0, 0, Limits::infinity(), 0, 1)},
      {"infinite diameter", coil(T, Limits::infinity(), 1, 0, 1, 1, 1)},
      {"NaN tube", coil(T, 1, 1, 0, 1, 1, Limits::quiet_NaN())},
  };
  FailureLog failures;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CheckAgainstModel(c.in, failures);
  }
  EXPECT_EQ(failures.count(), 0u);
}

TEST(ComputeCoilFromLength, FollowsItsStepsBitForBitOnRandomAndExtremeInputs) {
  Random random(OracleSeed("ComputeCoilFromLength"));
  FailureLog failures;
  int refused = 0, wholeTubeInTails = 0, zeroTurnLength = 0;
  for (int i = 0; i < 60000; ++i) {
    CoilInputs in = RandomCoilInputs(random);
    const long double metres = RandomTubeMetres(random, in);
    const CoilOutcome model = ModelCoilFromLength(in, metres);
    refused += model.tailsLongerThanTube;
    const bool wound = !model.fault && !model.tailsLongerThanTube;
    wholeTubeInTails += wound && in.withT1 && metres != 0 && model.n == ExtendedBits{};
    zeroTurnLength += model.fault == FaultKind::DivisionByZero && in.P == 0 && in.D == 0;
    CheckLengthAgainstModel(in, metres, failures);
  }
  EXPECT_EQ(failures.count(), 0u);
  // The inputs reach the branches that matter.
  EXPECT_GT(refused, 1000);
  EXPECT_GT(wholeTubeInTails, 300);
  EXPECT_GT(zeroTurnLength, 1000);
}

TEST(ComputeCoilFromLength, FollowsItsStepsAtTheThresholds) {
  using Limits = std::numeric_limits<long double>;
  struct Case {
    const char* what;
    long double D, P, t1, t2;
    bool withT1, withT2;
    long double metres;
  };
  const long double tiny = Limits::denorm_min();
  const Case cases[] = {
      {"no turn length", 0, 0, 0, 0, false, false, 6},
      {"no turn length, no tube", 0, 0, 0, 0, false, false, 0},
      {"no turn length, tails take the tube", 0, 0, 2000, 4000, true, true, 6},
      {"tails take the tube", 80, 4.2L, 2000, 4000, true, true, 6},
      {"tails a hair longer", 80, 4.2L, 2000, std::nextafter(4000.0L, 5000.0L), true, true, 6},
      {"a tail that is switched off is not cut", 80, 4.2L, 1e30L, 0, false, true, 6},
      {"a negative tail lengthens the rest", 80, 4.2L, -1000, 0, true, false, 6},
      {"negative tube", 80, 4.2L, 0, 0, false, false, -1},
      {"negative zero tube", 80, 4.2L, 0, 0, false, false, -0.0L},
      {"tube beyond the range in millimetres", 80, 4.2L, 0, 0, false, false, Limits::max()},
      {"tube far below the turn", 80, 4.2L, 0, 0, false, false, tiny},
      {"turn length overflows", 0x1p8192L, 4.2L, 0, 0, false, false, 6},
      {"tails overflow", 80, 4.2L, -Limits::max(), -Limits::max(), true, true, 6},
  };
  FailureLog failures;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CoilInputs in;
    in.D = c.D, in.P = c.P, in.OD = 3.2L, in.ID = 1.2L, in.t1 = c.t1, in.t2 = c.t2;
    in.withT1 = c.withT1, in.withT2 = c.withT2;
    CheckLengthAgainstModel(in, c.metres, failures);
  }
  EXPECT_EQ(failures.count(), 0u);
}

}  // namespace
}  // namespace ambrelix::oracle
