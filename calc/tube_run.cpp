#include "calc/tube_run.h"

namespace ambrelix {

std::optional<TubeOutcome> RunTubeCalculation(const TubeRequest& request,
                                              const SeparatorProvider& separators) {
  const CalculationRequest& coil = request.coil;
  const bool lengthGiven = request.tubeMetres.has_value();
  if (!lengthGiven && !coil.mode) return std::nullopt;

  const NumberSeparators s = separators.Separators();
  const bool heightGiven = !lengthGiven && *coil.mode == SolveMode::HeightGiven;
  const std::u16string_view given =
      lengthGiven ? *request.tubeMetres : coil.text(heightGiven ? RunInput::A : RunInput::n);
  RunNumbers numbers = ReadRunNumbers(coil, given, s);
  CoilInputs& in = numbers.coil;
  in.mode = heightGiven ? SolveMode::HeightGiven : SolveMode::TurnsGiven;
  if (heightGiven) {
    in.A = numbers.given;
  } else if (!lengthGiven) {
    in.n = numbers.given;
  }
  std::optional<Extended> density = request.materialDensity;
  if (request.extras && request.density) density = TextToNumber(*request.density, s);

  // All of the arithmetic before the first text.
  const CoilResults r = lengthGiven ? ComputeCoilFromLength(in, numbers.given) : ComputeCoil(in);
  std::optional<TubeExtras> extras;
  if (request.extras) extras = ComputeTubeExtras(in.OD, in.ID, r.L, density);

  std::optional<TubeOutcome> shown(std::in_place);
  TubeOutcome& o = *shown;
  o.coil = DescribeCoil(in, r, s);
  o.lengthGiven = lengthGiven;
  if (extras) {
    o.outsideArea = NumberToFixedText(extras->outsideArea, 4, s);
    o.insideArea = NumberToFixedText(extras->insideArea, 4, s);
    o.metalVolume = NumberToFixedText(extras->metalVolume, 2, s);
    if (extras->mass) o.mass = NumberToFixedText(*extras->mass, 3, s);
    o.extras = extras;
  }
  return shown;
}

}  // namespace ambrelix
