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

std::optional<CalculationOutcome> RunCalculation(const CalculationRequest& request,
                                                 const SeparatorProvider& separators) {
  if (!request.mode) return std::nullopt;

  const NumberSeparators s = separators.Separators();
  const bool heightGiven = *request.mode == SolveMode::HeightGiven;
  auto read = [&](RunInput input) { return TextToNumber(request.text(input), s); };

  // Field order matters: the first text that does not read is the one reported.
  CoilInputs in;
  in.mode = *request.mode;
  in.D = read(RunInput::D);
  in.P = read(RunInput::P);
  if (heightGiven)
    in.A = read(RunInput::A);
  else
    in.n = read(RunInput::n);
  in.OD = read(RunInput::OD);
  in.ID = read(RunInput::ID);
  in.t1 = read(RunInput::t1);
  in.t2 = read(RunInput::t2);
  in.withT1 = request.withT1;
  in.withT2 = request.withT2;

  const CoilResults r = ComputeCoil(in);
  const Totals totals = DisplayTotals(r);

  auto two = [&](Extended value) { return NumberToFixedText(value, 2, s); };
  std::optional<CalculationOutcome> shown(std::in_place);
  CalculationOutcome& o = *shown;
  o.mode = in.mode;
  o.results = r;
  o.gapWarning = r.gapWarning;
  o.gap = two(r.G);
  o.helixHeight = two(r.h);
  o.coilOutside = two(r.O);
  o.coilInside = two(r.I);
  o.overallHeight = two(r.A);
  o.turns = two(r.n);
  o.helixDiameter = two(in.D);
  o.pitch = two(in.P);
  o.tubeOutside = two(in.OD);
  o.tubeInside = two(in.ID);
  o.lengthMetres = totals.metres;
  o.volumeMillilitres = totals.millilitres;
  o.lengthMetresText = NumberToFixedText(totals.metres, 3, s);
  o.volumeMillilitresText = two(totals.millilitres);
  return shown;
}

}  // namespace ambrelix
