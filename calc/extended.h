// Extended-precision arithmetic as the calculator uses it: the x87 80-bit
// format, every operation rounded to nearest-even, and the three arithmetic
// faults detected from operands and results rather than from FPU flags, so
// the outcome does not depend on what the compiler folded at build time.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "calc/errors.h"

#if !(defined(__i386__) || defined(__x86_64__))
#error "The calculator needs the x87 80-bit extended format (x86 or x86-64)."
#endif

// An opaque call: the optimiser neither inlines it nor learns from its body,
// so none of its arithmetic can move across the caller's control-word
// changes. clang has no noipa; noinline is its closest.
#if defined(__clang__)
#define AMBRELIX_OUT_OF_LINE __attribute__((noinline))
#else
#define AMBRELIX_OUT_OF_LINE __attribute__((noipa))
#endif

namespace ambrelix {

using Extended = long double;

static_assert(std::numeric_limits<Extended>::digits == 64,
              "long double must be the x87 extended format (64-bit significand)");
static_assert(std::numeric_limits<Extended>::max_exponent == 16384 &&
                  std::numeric_limits<Extended>::min_exponent == -16381,
              "long double must have the 15-bit extended exponent");
static_assert(std::numeric_limits<Extended>::has_denorm == std::denorm_present,
              "extended subnormals are part of the arithmetic");

// Sets the x87 control word to 64-bit precision, round to nearest and all
// exceptions masked for its lifetime, and restores the caller's word after.
// The Windows process default is 53-bit precision, which would silently cut
// every result to double's significand. Arithmetic in registers is not
// ordered against the control word by the compiler, so the arithmetic under
// a scope runs in an AMBRELIX_OUT_OF_LINE function called while it lives.
//
// The arithmetic here leaves exception flags behind (a division by zero, an
// overflow), masked while the scope lives. A caller whose word unmasks any of
// them, as hosts written in Delphi do, would take a floating-point trap at
// its next x87 instruction, so the flags are cleared before its word comes
// back. A caller with every exception masked keeps them, as sticky flags.
class X87Scope {
 public:
  X87Scope() noexcept {
    asm volatile("fnstcw %0" : "=m"(saved_)::"memory");
    const std::uint16_t wanted = kExtendedNearestMasked;
    if (saved_ != wanted) asm volatile("fldcw %0" ::"m"(wanted) : "memory");
  }
  ~X87Scope() {
    if ((saved_ & kExceptionMasks) != kExceptionMasks) asm volatile("fnclex" ::: "memory");
    std::uint16_t now;
    asm volatile("fnstcw %0" : "=m"(now)::"memory");
    if (now != saved_) asm volatile("fldcw %0" ::"m"(saved_) : "memory");
  }
  X87Scope(const X87Scope&) = delete;
  X87Scope& operator=(const X87Scope&) = delete;

  // Precision control 11 (64 bits), rounding control 00 (nearest-even),
  // all six exception masks set.
  static constexpr std::uint16_t kExtendedNearestMasked = 0x037F;
  // Invalid operation, denormal, division by zero, overflow, underflow, precision.
  static constexpr std::uint16_t kExceptionMasks = 0x003F;

  static std::uint16_t Current() noexcept {
    std::uint16_t cw;
    asm volatile("fnstcw %0" : "=m"(cw)::"memory");
    return cw;
  }

 private:
  std::uint16_t saved_;
};

// What an arithmetic step does with a fault: throw it, or note it and go on.
struct RaiseFaults {
  [[noreturn]] void operator()(FaultKind kind) const { throw ArithmeticFault(kind); }
};

struct RecordFaults {
  bool faulted = false;
  void operator()(FaultKind) noexcept { faulted = true; }
};

namespace ext {

// A result can only be faulty when it is not finite, so the common path is
// one comparison. NaN is an invalid operation (0/0, inf-inf, 0*inf, or a NaN
// operand); infinity from finite operands is an overflow, or a division by
// zero when the divisor was zero; infinity from an infinite operand is not a
// fault, as on the x87.
inline bool Faulty(Extended r) noexcept { return !std::isfinite(r); }

inline FaultKind Classify(Extended r, Extended divisor, bool isDivision) noexcept {
  if (std::isnan(r)) return FaultKind::InvalidOperation;
  if (isDivision && divisor == 0) return FaultKind::DivisionByZero;
  return FaultKind::Overflow;
}

inline bool FromFinite(Extended a, Extended b) noexcept {
  return std::isfinite(a) && std::isfinite(b);
}

template <class OnFault>
inline Extended Add(Extended a, Extended b, OnFault&& fault) {
  const Extended r = a + b;
  if (Faulty(r) && (std::isnan(r) || FromFinite(a, b))) [[unlikely]]
    fault(Classify(r, b, false));
  return r;
}

template <class OnFault>
inline Extended Sub(Extended a, Extended b, OnFault&& fault) {
  const Extended r = a - b;
  if (Faulty(r) && (std::isnan(r) || FromFinite(a, b))) [[unlikely]]
    fault(Classify(r, b, false));
  return r;
}

template <class OnFault>
inline Extended Mul(Extended a, Extended b, OnFault&& fault) {
  const Extended r = a * b;
  if (Faulty(r) && (std::isnan(r) || FromFinite(a, b))) [[unlikely]]
    fault(Classify(r, b, false));
  return r;
}

template <class OnFault>
inline Extended Div(Extended a, Extended b, OnFault&& fault) {
  const Extended r = a / b;
  if (Faulty(r) && (std::isnan(r) || FromFinite(a, b))) [[unlikely]]
    fault(Classify(r, b, true));
  return r;
}

template <class OnFault>
inline Extended Sqrt(Extended a, OnFault&& fault) {
  if (a < 0 || std::isnan(a)) [[unlikely]] {
    fault(FaultKind::InvalidOperation);
    return std::numeric_limits<Extended>::quiet_NaN();
  }
  return __builtin_sqrtl(a);
}

// Round to an integer by the current rounding mode (nearest-even inside an
// X87Scope), as the x87 FRNDINT does.
inline Extended RoundToInteger(Extended x) noexcept {
  Extended r;
  asm("frndint" : "=t"(r) : "0"(x));
  return r;
}

}  // namespace ext
}  // namespace ambrelix
