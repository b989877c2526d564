#include "calc/coil.h"

namespace ambrelix {
namespace {

// Out of line, so none of the arithmetic can be scheduled before
// ComputeCoil sets the x87 control word or after it restores it.
AMBRELIX_OUT_OF_LINE CoilResults ComputeCoilSteps(const CoilInputs& in) {
  using namespace ext;
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

  // One turn unrolled: rise P along the circumference πD.
  const Extended pitchSquared = Mul(in.P, in.P, fault);
  const Extended diameterSquared = Mul(in.D, in.D, fault);
  const Extended piSquared = Mul(kPi, kPi, fault);
  const Extended turnLength =
      Sqrt(Add(pitchSquared, Mul(diameterSquared, piSquared, fault), fault), fault);
  const Extended helixLength = Mul(turnLength, r.n, fault);

  r.L = helixLength;
  if (in.withT1) r.L = Add(r.L, in.t1, fault);
  if (in.withT2) r.L = Add(r.L, in.t2, fault);

  const Extended radius = Div(in.ID, Extended{2}, fault);
  r.V = Mul(Mul(Mul(radius, kPi, fault), radius, fault), r.L, fault);

  r.A = in.mode == SolveMode::TurnsGiven ? Add(Mul(in.P, r.n, fault), in.OD, fault) : in.A;
  r.h = Sub(r.A, in.OD, fault);
  r.O = Add(in.D, in.OD, fault);
  r.I = Sub(in.D, in.OD, fault);
  r.gapWarning = !(r.G > 0);
  return r;
}

}  // namespace

CoilResults ComputeCoil(const CoilInputs& in) {
  X87Scope fpu;
  return ComputeCoilSteps(in);
}

}  // namespace ambrelix
