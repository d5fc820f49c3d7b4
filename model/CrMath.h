// Sine, cosine and arc tangent rounded correctly to the nearest double, for
// every platform alike: evaluated in double-double arithmetic (about 100
// significant bits) and rounded once, so the result is the nearest double
// except for an argument whose exact value lies within about 2^-100
// (relative) of a point halfway between two doubles.
//
// The design uses them through DesignSin/DesignCos/DesignAtan: on Linux
// these are the C library's functions, which return the correctly rounded
// result in all but vanishingly rare cases; on Windows, whose C library can
// differ from it in the last bit, they are these functions, so both
// platforms give the same numbers.
//
// Floating-point exceptions as the C library raises them where the design
// checks them: an infinite argument of sin or cos is an invalid operation
// (the result is NaN); no other argument raises overflow, division by zero
// or invalid.
#ifndef OSTREL_MODEL_CRMATH_H
#define OSTREL_MODEL_CRMATH_H

#include <cmath>

namespace ostrel {

double CrSin(double x);
double CrCos(double x);
double CrAtan(double x);

#if defined(_WIN32)
inline double DesignSin(double x) { return CrSin(x); }
inline double DesignCos(double x) { return CrCos(x); }
inline double DesignAtan(double x) { return CrAtan(x); }
#else
inline double DesignSin(double x) { return std::sin(x); }
inline double DesignCos(double x) { return std::cos(x); }
inline double DesignAtan(double x) { return std::atan(x); }
#endif

}  // namespace ostrel

#endif  // OSTREL_MODEL_CRMATH_H
