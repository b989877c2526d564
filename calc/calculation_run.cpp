#include "calc/calculation_run.h"

namespace ambrelix {
namespace {

struct Totals {
  Extended metres;
  Extended millilitres;
};

AMBRELIX_OUT_OF_LINE Totals DisplayTotalsSteps(const CoilResults& r) {
  return {ext::Div(r.L, Extended{1000}, RaiseFaults{}),
          ext::Div(r.V, Extended{1000}, RaiseFaults{})};
}

// Millimetres to metres and cubic millimetres to millilitres, in extended.
Totals DisplayTotals(const CoilResults& r) {
  X87Scope fpu;
  return DisplayTotalsSteps(r);
}

}  // namespace

std::string_view TargetName(Target target) noexcept {
  static constexpr std::array<std::string_view, 18> kNames = {
      "edA",   "lbG",  "lbH",  "lbO",  "lbI",  "lbA2", "lbG2", "lbP2",          "lbID2",
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

  // Several targets show the same value; each value is formatted once.
  auto two = [&](Extended value) { return NumberToFixedText(value, 2, s); };
  const std::u16string G = two(r.G), h = two(r.h), O = two(r.O), I = two(r.I), A = two(r.A),
                       P = two(in.P);

  auto& w = outcome.writes;
  w.reserve(18);
  if (!heightGiven) w.push_back({Target::edA, A});
  w.push_back({Target::lbG, G});
  w.push_back({Target::lbH, h});
  w.push_back({Target::lbO, O});
  w.push_back({Target::lbI, I});
  w.push_back({Target::lbA2, A});
  w.push_back({Target::lbG2, G});
  w.push_back({Target::lbP2, P});
  w.push_back({Target::lbID2, two(in.ID)});
  w.push_back({Target::lbOD2, two(in.OD)});
  w.push_back({Target::lbh2, h});
  w.push_back({Target::lbI2, I});
  w.push_back({Target::lbD2, two(in.D)});
  w.push_back({Target::lbO2, O});
  if (heightGiven) w.push_back({Target::edN, two(r.n)});
  w.push_back({Target::edP, P});

  // The totals go last: writing a field that changes its text empties them.
  w.push_back({Target::lbTotalLength, NumberToFixedText(totals.metres, 3, s) + u'M'});
  w.push_back({Target::lbTotalVolume, two(totals.millilitres) + u"ml"});
  return outcome;
}

}  // namespace ambrelix
