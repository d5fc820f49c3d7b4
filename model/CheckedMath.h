// Checked arithmetic of the design.
//
// Every fault of the design arithmetic is a run-time error: a C++ exception
// of type RunTimeError. Inside a run it ends the run through the run driver's
// one error path; inside a public method it becomes that method's
// unexpected-error message.
//
// The mechanism, used everywhere in the same way:
//  - Values entering the design (model input converted to internal units,
//    values fetched from the analysis results) pass through CheckedValue, so
//    a NaN or an infinity never enters a calculation.
//  - Inside the design, a NaN or an infinity can then only be created by an
//    operation that raises an IEEE flag (invalid, division by zero, overflow).
//    The flags are cleared at the start of a run and of every public method,
//    and CheckFloatFaults tests them at fixed points: at the end of every
//    search and before every value is stored into the model.
//  - Every open-ended search has a step guard (see the search itself) so that
//    a NaN that slipped past a comparison cannot make it loop forever.
//  - 16-bit counters and conversions go through ToInt16.
#ifndef OSTREL_MODEL_CHECKEDMATH_H
#define OSTREL_MODEL_CHECKEDMATH_H

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#if defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#endif

namespace ostrel {

// A run-time error of the design arithmetic or of a model access.
class RunTimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Arguments for which a capacity function has no answer (a section whose
// covers leave no room for its bars, say): the text says why, in one line.
class CapacityRefusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kFloatFaults = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

// The fault flags raised since they were last cleared (a subset of
// kFloatFaults), and the means to clear and to set them again.
//
// On x86-64 every double operation of the design runs on the SSE unit, so
// its flags are those of the MXCSR register, read and written here directly:
// the C library's calls also read and clear the x87 status word, which
// nothing in the design uses, and cost far more than the search step they
// check. The flag bits of MXCSR are the C library's FE_ values.
#if defined(__x86_64__) && defined(__SSE2__)
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08,
              "the fault flags are the MXCSR exception bits");
inline int RaisedFloatFaults() { return static_cast<int>(_mm_getcsr()) & kFloatFaults; }
inline void ClearFloatFaults() {
  const unsigned csr = _mm_getcsr();
  if ((csr & kFloatFaults) != 0) {
    _mm_setcsr(csr & ~static_cast<unsigned>(kFloatFaults));
  }
}
inline void RaiseFloatFaults(int faults) {
  _mm_setcsr(_mm_getcsr() | static_cast<unsigned>(faults & kFloatFaults));
}
#else
inline int RaisedFloatFaults() { return std::fetestexcept(kFloatFaults); }
inline void ClearFloatFaults() { std::feclearexcept(kFloatFaults); }
inline void RaiseFloatFaults(int faults) { std::feraiseexcept(faults & kFloatFaults); }
#endif

inline bool FloatFaultRaised() { return RaisedFloatFaults() != 0; }

// Raises a run-time error when an overflow, a division by zero or an invalid
// operation happened since the flags were last cleared.
inline void CheckFloatFaults() {
  if (FloatFaultRaised()) {
    throw RunTimeError("floating-point fault");
  }
}

// A value entering the design must be finite.
inline double CheckedValue(double v) {
  if (!std::isfinite(v)) {
    throw RunTimeError("value is not a finite number");
  }
  return v;
}

// Keeps the floating-point fault flags across a stretch of code that is not
// the design's own: a call into the host (its analysis results, its window
// pump, its message boxes), or the host thread's planning of an element.
// Whatever flags that code raises or clears, the component's checks see only
// their own arithmetic.
// Reading the flags is cheap and a host rarely changes them, so they are only
// put back when the call changed them.
class FloatFlagsScope {
 public:
  FloatFlagsScope() : saved_(RaisedFloatFaults()) {}
  ~FloatFlagsScope() {
    if (RaisedFloatFaults() != saved_) {
      ClearFloatFaults();
      if (saved_ != 0) {
        RaiseFloatFaults(saved_);
      }
    }
  }
  FloatFlagsScope(const FloatFlagsScope&) = delete;
  FloatFlagsScope& operator=(const FloatFlagsScope&) = delete;

 private:
  int saved_;
};

// Conversion to a 16-bit signed integer, overflow-checked.
inline int16_t ToInt16(long long v) {
  if (v < INT16_MIN || v > INT16_MAX) {
    throw RunTimeError("16-bit overflow");
  }
  return static_cast<int16_t>(v);
}

// Conversion to an 8-bit unsigned integer, overflow-checked.
inline uint8_t ToUInt8(long long v) {
  if (v < 0 || v > UINT8_MAX) {
    throw RunTimeError("8-bit overflow");
  }
  return static_cast<uint8_t>(v);
}

// Narrowing of a 64-bit value to a 32-bit float for the host: a value beyond
// the 32-bit range is an overflow, and a NaN or an infinity never reaches the
// host.
inline float ToFloat32(double v) {
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) {
    throw RunTimeError("value does not fit a 32-bit float");
  }
  return f;
}

}  // namespace ostrel

#endif  // OSTREL_MODEL_CHECKEDMATH_H
