// The geometry of a tube wound into a cylindrical helix. D is measured
// between the tube's centre lines across the coil, P is the rise of the
// centre line per turn, and the overall height A is measured over the
// outside of the tube, so it exceeds the helix height h by one OD.
#pragma once

#include "calc/extended.h"

namespace ambrelix {

enum class SolveMode { HeightGiven, TurnsGiven };

struct CoilInputs {
  SolveMode mode = SolveMode::HeightGiven;
  Extended D = 0;   // helix diameter, mm
  Extended P = 0;   // pitch, mm
  Extended A = 0;   // overall height, mm; read only when HeightGiven
  Extended n = 0;   // number of turns; read only when TurnsGiven
  Extended OD = 0;  // tube outside diameter, mm
  Extended ID = 0;  // tube inside diameter, mm
  Extended t1 = 0;  // tail lengths, mm
  Extended t2 = 0;
  bool withT1 = false;
  bool withT2 = false;
};

struct CoilResults {
  Extended G = 0;           // gap between neighbouring coils, mm
  Extended h = 0;           // helix height, centre line to centre line, mm
  Extended O = 0;           // coil outside diameter, mm
  Extended I = 0;           // coil inside diameter, mm
  Extended A = 0;           // overall height, mm
  Extended n = 0;           // number of turns
  Extended L = 0;           // tube length, helix plus counted tails, mm
  Extended V = 0;           // internal volume over L, mm³
  bool gapWarning = false;  // the gap is not greater than zero
};

// π as the nearest extended value: significand 0xC90FDAA22168C235, biased exponent 0x4000.
inline constexpr Extended kPi = 0xC90FDAA22168C235p-62L;

// No input is range-checked. Every operation is rounded to extended,
// nearest-even, in the order and grouping of the steps; the first step whose
// result is a division by zero, an invalid operation or an overflow throws
// ArithmeticFault, so a result is either complete or not returned at all.
CoilResults ComputeCoil(const CoilInputs& in);

// The coil a length of tube gives, in metres: the tails that are switched on
// are taken off the tube, t1 first, and the rest is wound at the turn length
// ComputeCoil uses, so n = (tube × 1000 − t1 − t2) / s. Everything else
// follows as when the turns are given, with L the whole tube. `in.mode`,
// `in.A` and `in.n` are not read. Throws TailsLongerThanTube when the counted
// tails leave less than nothing to wind (checked before the turn length is
// computed), and ArithmeticFault as ComputeCoil does; a zero turn length
// (P = 0 and D = 0) is a division by zero, or an invalid operation when the
// tails take up the whole tube.
CoilResults ComputeCoilFromLength(const CoilInputs& in, Extended tubeMetres);

}  // namespace ambrelix
