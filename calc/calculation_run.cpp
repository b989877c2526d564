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

RunNumbers ReadRunNumbers(const CalculationRequest& request, std::u16string_view given,
                          NumberSeparators s) {
  auto read = [&](RunInput input) { return TextToNumber(request.text(input), s); };
  // Field order matters: the first text that does not read is the one reported.
  RunNumbers numbers;
  CoilInputs& in = numbers.coil;
  in.D = read(RunInput::D);
  in.P = read(RunInput::P);
  numbers.given = TextToNumber(given, s);
  in.OD = read(RunInput::OD);
  in.ID = read(RunInput::ID);
  in.t1 = read(RunInput::t1);
  in.t2 = read(RunInput::t2);
  in.withT1 = request.withT1;
  in.withT2 = request.withT2;
  return numbers;
}

CalculationOutcome DescribeCoil(const CoilInputs& in, const CoilResults& r, NumberSeparators s) {
  const Totals totals = DisplayTotals(r);
  auto two = [&](Extended value) { return NumberToFixedText(value, 2, s); };
  CalculationOutcome o;
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
  return o;
}

std::optional<CalculationOutcome> RunCalculation(const CalculationRequest& request,
                                                 const SeparatorProvider& separators) {
  if (!request.mode) return std::nullopt;

  const NumberSeparators s = separators.Separators();
  const bool heightGiven = *request.mode == SolveMode::HeightGiven;
  RunNumbers numbers =
      ReadRunNumbers(request, request.text(heightGiven ? RunInput::A : RunInput::n), s);
  CoilInputs& in = numbers.coil;
  in.mode = *request.mode;
  (heightGiven ? in.A : in.n) = numbers.given;
  return DescribeCoil(in, ComputeCoil(in), s);
}

}  // namespace ambrelix
