// ComputeTubeExtras against its steps carried out in MPFR: the same bits in
// each of the four results, or the same fault.
#include "calc/tube_extras.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "calc/coil.h"
#include "tests/oracle/failure_log.h"
#include "tests/oracle/mpfr_model.h"
#include "tests/oracle/random_inputs.h"
#include "tests/oracle/vector_format.h"

namespace ambrelix::oracle {
namespace {

void CheckExtras(long double OD, long double ID, long double L, std::optional<long double> density,
                 FailureLog& failures) {
  const std::string inputs = "OD=" + Describe(OD) + " ID=" + Describe(ID) + " L=" + Describe(L) +
                             " density=" + (density ? Describe(*density) : "none");
  const ExtrasOutcome model = ModelTubeExtras(OD, ID, L, density);
  std::optional<FaultKind> fault;
  TubeExtras x;
  try {
    x = ComputeTubeExtras(OD, ID, L, density);
  } catch (const ArithmeticFault& e) {
    fault = e.kind();
  }
  if (fault != model.fault) {
    failures.Add(inputs + ": " + (fault ? FaultName(*fault) : "no fault") + ", model " +
                 (model.fault ? FaultName(*model.fault) : "no fault"));
    return;
  }
  if (fault) return;
  const std::pair<const char*, std::pair<long double, ExtendedBits>> results[] = {
      {"outsideArea", {x.outsideArea, model.outsideArea}},
      {"insideArea", {x.insideArea, model.insideArea}},
      {"metalVolume", {x.metalVolume, model.metalVolume}}};
  for (const auto& [name, values] : results)
    if (BitsOf(values.first) != values.second)
      failures.Add(inputs + ": " + name + " = " + Describe(values.first) + ", model " +
                   Describe(values.second));
  if (x.mass.has_value() != model.mass.has_value() || (x.mass && BitsOf(*x.mass) != *model.mass))
    failures.Add(inputs + ": mass = " + (x.mass ? Describe(*x.mass) : "none") + ", model " +
                 (model.mass ? Describe(*model.mass) : "none"));
}

TEST(ComputeTubeExtras, FollowsItsStepsBitForBitOnRandomAndExtremeInputs) {
  Random random(OracleSeed("ComputeTubeExtras"));
  FailureLog failures;
  for (int i = 0; i < 60000; ++i) {
    std::optional<long double> density;
    if (random.Percent(40)) density = kMaterials[random.Below(kMaterials.size())].density;
    if (random.Percent(30)) density = AnyValue(random);
    if (random.Percent(50)) {
      // The tube of a coil as the calculator computes it.
      CoilInputs in = RandomCoilInputs(random);
      try {
        const CoilResults r = ComputeCoil(in);
        CheckExtras(in.OD, in.ID, r.L, density, failures);
      } catch (const ArithmeticFault&) {
      }
    } else {
      CheckExtras(AnyValue(random), AnyValue(random), AnyValue(random), density, failures);
    }
  }
  EXPECT_EQ(failures.count(), 0u);
}

TEST(ComputeTubeExtras, FollowsItsStepsAtTheThresholds) {
  using Limits = std::numeric_limits<long double>;
  const long double big = Limits::max();
  struct Case {
    const char* what;
    long double OD, ID, L;
    std::optional<long double> density;
  };
  const Case cases[] = {
      {"the first-run coil in copper", 3.2L, 1.2L, 5853.155L, 8.96L},
      {"no density", 3.2L, 1.2L, 5853.155L, std::nullopt},
      {"a bore wider than the tube", 1.2L, 3.2L, 5853.155L, 8.96L},
      {"π × OD × L overflows", big / 2, 1, 4, 1},
      {"the squares overflow", 0x1p8192L, 1, 1, 1},
      {"the squares cancel", big / 4, big / 4, 1, 1},
      {"the mass overflows", 1e2000L, 0, 1e900L, 1e2000L},
      {"infinite length", 3.2L, 1.2L, Limits::infinity(), 1},
      {"infinite tube less an infinite bore", Limits::infinity(), Limits::infinity(), 1, 1},
      {"zero times infinity", 0, 0, Limits::infinity(), 1},
      {"subnormal sizes", Limits::denorm_min(), 0, Limits::denorm_min(), Limits::denorm_min()},
  };
  FailureLog failures;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CheckExtras(c.OD, c.ID, c.L, c.density, failures);
  }
  EXPECT_EQ(failures.count(), 0u);
}

}  // namespace
}  // namespace ambrelix::oracle
