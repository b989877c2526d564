#include "calc/coil.h"

namespace ambrelix {
namespace {

using namespace ext;

// One turn unrolled: rise P along the circumference πD.
Extended TurnLength(Extended P, Extended D, const RaiseFaults& fault) {
  const Extended pitchSquared = Mul(P, P, fault);
  const Extended diameterSquared = Mul(D, D, fault);
  const Extended piSquared = Mul(kPi, kPi, fault);
  return Sqrt(Add(pitchSquared, Mul(diameterSquared, piSquared, fault), fault), fault);
}

// The bore's volume over the length L, tails included.
Extended InternalVolume(Extended ID, Extended L, const RaiseFaults& fault) {
  const Extended radius = Div(ID, Extended{2}, fault);
  return Mul(Mul(Mul(radius, kPi, fault), radius, fault), L, fault);
}

// The helix height, the coil's diameters and the gap rule, alike in every mode.
void HeightAndDiameters(const CoilInputs& in, CoilResults& r, const RaiseFaults& fault) {
  r.h = Sub(r.A, in.OD, fault);
  r.O = Add(in.D, in.OD, fault);
  r.I = Sub(in.D, in.OD, fault);
  r.gapWarning = !(r.G > 0);
}

// Out of line, so none of the arithmetic can be scheduled before
// ComputeCoil sets the x87 control word or after it restores it.
AMBRELIX_OUT_OF_LINE CoilResults ComputeCoilSteps(const CoilInputs& in) {
  const RaiseFaults fault;
  CoilResults r;

  r.G = Sub(in.P, in.OD, fault);

  // The divisor is the rounded gap plus OD, not the pitch: a pitch far below
  // OD can vanish in P - OD + OD and make it exactly zero.
  if (in.mode == SolveMode::HeightGiven) {
    const Extended rise = Sub(in.A, in.OD, fault);
    r.n = Div(rise, Add(r.G, in.OD, fault), fault);
  } else {
    r.n = in.n;
  }

  const Extended helixLength = Mul(TurnLength(in.P, in.D, fault), r.n, fault);
  r.L = helixLength;
  if (in.withT1) r.L = Add(r.L, in.t1, fault);
  if (in.withT2) r.L = Add(r.L, in.t2, fault);
  r.V = InternalVolume(in.ID, r.L, fault);

  r.A = in.mode == SolveMode::TurnsGiven ? Add(Mul(in.P, r.n, fault), in.OD, fault) : in.A;
  HeightAndDiameters(in, r, fault);
  return r;
}

AMBRELIX_OUT_OF_LINE CoilResults ComputeCoilFromLengthSteps(const CoilInputs& in,
                                                            Extended tubeMetres) {
  const RaiseFaults fault;
  CoilResults r;

  r.G = Sub(in.P, in.OD, fault);

  // The tails are cut off the tube before it is wound; what is left is the helix.
  const Extended tube = Mul(tubeMetres, Extended{1000}, fault);
  Extended helixLength = tube;
  if (in.withT1) helixLength = Sub(helixLength, in.t1, fault);
  if (in.withT2) helixLength = Sub(helixLength, in.t2, fault);
  if (helixLength < 0) throw TailsLongerThanTube();

  r.n = Div(helixLength, TurnLength(in.P, in.D, fault), fault);
  r.L = tube;
  r.V = InternalVolume(in.ID, r.L, fault);
  r.A = Add(Mul(in.P, r.n, fault), in.OD, fault);
  HeightAndDiameters(in, r, fault);
  return r;
}

}  // namespace

CoilResults ComputeCoil(const CoilInputs& in) {
  X87Scope fpu;
  return ComputeCoilSteps(in);
}

CoilResults ComputeCoilFromLength(const CoilInputs& in, Extended tubeMetres) {
  X87Scope fpu;
  return ComputeCoilFromLengthSteps(in, tubeMetres);
}

}  // namespace ambrelix
