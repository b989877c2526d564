#include "calc/calculation_run.h"

namespace ambrelix {
namespace {

struct Totals {
  Extended metres;
  Extended millilitres;
};

[[gnu::noipa]] Totals DisplayTotalsSteps(const CoilResults& r) {
  return {ext::Div(r.L, Extended{1000}, RaiseFaults{}), ext::Div(r.V, Extended{1000}, RaiseFaults{})};
}

// Millimetres to metres and cubic millimetres to millilitres, in extended.
Totals DisplayTotals(const CoilResults& r) {
  X87Scope fpu;
  return DisplayTotalsSteps(r);
}

}  // namespace

std::string_view TargetName(Target target) noexcept {
  static constexpr std::array<std::string_view, 18> kNames = {
      "edA",  "lbG",   "lbH",  "lbO",  "lbI",  "lbA2", "lbG2", "lbP2",          "lbID2",
      "lbOD2", "lbh2", "lbI2", "lbD2", "lbO2", "edN",  "edP",  "lbTotalLength", "lbTotalVolume"};
  return kNames[static_cast<std::size_t>(target)];
}

CalculationOutcome RunCalculation(const CalculationRequest& request,
                                  const SeparatorProvider& separators) {
  CalculationOutcome outcome;
  if (!request.mode) return outcome;

  const NumberSeparators s = separators.Separators();
  const bool heightGiven = *request.mode == SolveMode::HeightGiven;
  auto read = [&](std::u16string_view text) { return TextToNumber(text, s); };

  // Field order matters: the first text that does not read is the one reported.
  CoilInputs in;
  in.mode = *request.mode;
  in.D = read(request.D);
  in.P = read(request.P);
  if (heightGiven)
    in.A = read(request.A);
  else
    in.n = read(request.n);
  in.OD = read(request.OD);
  in.ID = read(request.ID);
  in.t1 = read(request.t1);
  in.t2 = read(request.t2);
  in.withT1 = request.withT1;
  in.withT2 = request.withT2;

  const CoilResults r = ComputeCoil(in);
  const Totals totals = DisplayTotals(r);
  outcome.results = r;
  outcome.gapWarning = r.gapWarning;

  auto& w = outcome.writes;
  w.reserve(18);
  auto put = [&](Target target, Extended value, int decimals = 2) {
    w.push_back({target, NumberToFixedText(value, decimals, s)});
  };

  if (!heightGiven) put(Target::edA, r.A);
  put(Target::lbG, r.G);
  put(Target::lbH, r.h);
  put(Target::lbO, r.O);
  put(Target::lbI, r.I);
  put(Target::lbA2, r.A);
  put(Target::lbG2, r.G);
  put(Target::lbP2, in.P);
  put(Target::lbID2, in.ID);
  put(Target::lbOD2, in.OD);
  put(Target::lbh2, r.h);
  put(Target::lbI2, r.I);
  put(Target::lbD2, in.D);
  put(Target::lbO2, r.O);
  if (heightGiven) put(Target::edN, r.n);
  put(Target::edP, in.P);

  // The totals go last: writing a field that changes its text empties them.
  put(Target::lbTotalLength, totals.metres, 3);
  w.back().text += u'M';
  put(Target::lbTotalVolume, totals.millilitres);
  w.back().text += u"ml";
  return outcome;
}

}  // namespace ambrelix
