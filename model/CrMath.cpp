#include "model/CrMath.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace ostrel {

namespace {

// ---- Double-double arithmetic: an unevaluated sum hi + lo, |lo| <= ulp(hi)/2.
// Error-free transformations; the products use Dekker's splitting, so no
// fused multiply-add is needed (and none may be contracted: -ffp-contract=off).

struct DD {
  double hi, lo;
};

constexpr DD TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

constexpr DD FastTwoSum(double a, double b) {  // |a| >= |b|
  const double s = a + b;
  return {s, b - (s - a)};
}

constexpr DD Split(double a) {  // |a| < 2^996
  const double c = 134217729.0 * a;
  const double hi = c - (c - a);
  return {hi, a - hi};
}

constexpr DD TwoProd(double a, double b) {
  const double p = a * b;
  const DD x = Split(a), y = Split(b);
  return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

constexpr DD Add(DD a, DD b) {
  DD s = TwoSum(a.hi, b.hi);
  const DD t = TwoSum(a.lo, b.lo);
  s = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(s.hi, s.lo + t.lo);
}

constexpr DD Neg(DD a) { return {-a.hi, -a.lo}; }
constexpr DD Sub(DD a, DD b) { return Add(a, Neg(b)); }

constexpr DD Mul(DD a, DD b) {
  const DD p = TwoProd(a.hi, b.hi);
  return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

constexpr DD Mul(DD a, double b) {
  const DD p = TwoProd(a.hi, b);
  return FastTwoSum(p.hi, p.lo + a.lo * b);
}

constexpr DD Div(DD a, DD b) {
  const double q1 = a.hi / b.hi;
  DD r = Sub(a, Mul(b, q1));
  const double q2 = r.hi / b.hi;
  r = Sub(r, Mul(b, q2));
  const double q3 = r.hi / b.hi;
  return Add(FastTwoSum(q1, q2), DD{q3, 0});
}

DD Sqrt(DD a) {  // a > 0: one Newton step from the double root
  const double s = std::sqrt(a.hi);
  const DD r = Sub(a, TwoProd(s, s));
  return FastTwoSum(s, r.hi / (2 * s));
}

// pi/2 as a double-double, and in four pieces for the reduction of moderate
// arguments: the first two have 33 significant bits, so k times them is exact
// for |k| < 2^20.
constexpr DD kPio2{0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr double kPio2Part1 = 0x1.921fb544p+0;
constexpr double kPio2Part2 = 0x1.0b4611a6p-34;
constexpr double kPio2Part3 = 0x1.3198a2e037073p-69;
constexpr double kPio2Part4 = 0x1.129024e088a67p-123;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kPio4 = 0x1.921fb54442d18p-1;
// Above this, |k| could reach 2^20: the reduction uses the bits of 2/pi.
constexpr double kModerateLimit = 8.0e5;

// The first 1280 bits of the fraction of 2/pi (0.A2F9836E...), enough for
// every double exponent.
constexpr uint64_t kTwoOverPiBits[20] = {
    0xA2F9836E4E441529, 0xFC2757D1F534DDC0, 0xDB6295993C439041, 0xFE5163ABDEBBC561,
    0xB7246E3A424DD2E0, 0x06492EEA09D1921C, 0xFE1DEB1CB129A73E, 0xE88235F52EBB4484,
    0xE99C7026B45F7E41, 0x3991D639835339F4, 0x9C845F8BBDF9283B, 0x1FF897FFDE05980F,
    0xEF2F118B5A0A6D1F, 0x6D367ECF27CB09B7, 0x4F463F669E5FEA2D, 0x7527BAC7EBE5F17B,
    0x3D0739F78A5292EA, 0x6BFB5FB11F8D5D08, 0x56033046FC7B6BAB, 0xF0CFBC209AF4361D};

// Taylor coefficients: (-1)^k / (2k+1)! for the sine, (-1)^k / (2k)! for the
// cosine, (-1)^k / (2k+1) for the arc tangent. Sine and cosine are summed for
// |r| <= pi/4, where the first term left out is below 2^-110 of the result;
// the arc tangent for |u| <= tan(pi/32) (its table) or 1/32, likewise.
constexpr int kSinTerms = 14, kCosTerms = 15, kAtanTerms = 17;

struct Coefficients {
  std::array<DD, kSinTerms> sin{};
  std::array<DD, kCosTerms> cos{};
  std::array<DD, kAtanTerms> atan{};
};

constexpr Coefficients MakeCoefficients() {
  Coefficients c;
  DD inverseFactorial{1, 0};  // 1/n!
  for (int n = 0; n < 2 * kCosTerms; ++n) {
    if (n > 0) inverseFactorial = Div(inverseFactorial, DD{static_cast<double>(n), 0});
    const DD term = (n / 2) % 2 == 0 ? inverseFactorial : Neg(inverseFactorial);
    if (n % 2 == 0) {
      c.cos[n / 2] = term;
    } else if (n / 2 < kSinTerms) {
      c.sin[n / 2] = term;
    }
  }
  for (int k = 0; k < kAtanTerms; ++k) {
    const DD inverse = Div(DD{1, 0}, DD{2.0 * k + 1, 0});
    c.atan[k] = k % 2 == 0 ? inverse : Neg(inverse);
  }
  return c;
}

constexpr Coefficients kCoefficients = MakeCoefficients();

// Horner's rule in x2: the small high-order terms, from `exact` on, in double
// arithmetic (each below 2^-32 of the sum, so their rounding errors stay below
// 2^-85 of it), the leading ones in double-double.
template <size_t N>
DD Horner(const std::array<DD, N>& c, DD x2, size_t exact) {
  double tail = c[N - 1].hi;
  for (size_t k = N - 1; k-- > exact;) tail = tail * x2.hi + c[k].hi;
  DD p{tail, 0};
  for (size_t k = exact; k-- > 0;) p = Add(Mul(p, x2), c[k]);
  return p;
}

DD SinKernel(DD r) { return Mul(Horner(kCoefficients.sin, Mul(r, r), 6), r); }
DD CosKernel(DD r) { return Horner(kCoefficients.cos, Mul(r, r), 7); }

// Bits [pos, pos + n) of a little-endian multi-word integer (n <= 64); bits
// outside the words read as 0.
uint64_t Bits(const uint64_t* words, int count, int pos, int n) {
  uint64_t out = 0;
  for (int i = 0; i < n; ++i) {
    const int k = pos + i;
    if (k >= 0 && k < 64 * count && ((words[k / 64] >> (k % 64)) & 1u) != 0) {
      out |= uint64_t{1} << i;
    }
  }
  return out;
}

// The 128-bit product of two 64-bit words, from their 32-bit halves.
void Multiply(uint64_t a, uint64_t b, uint64_t& hi, uint64_t& lo) {
  const uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  lo = (mid << 32) | (p00 & 0xFFFFFFFFu);
  hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
}

// 64 bits of 2/pi from bit j on (bit 1 is the first after the point).
uint64_t TwoOverPiWord(int j) {
  const int index = (j - 1) / 64, offset = (j - 1) % 64;
  uint64_t w = kTwoOverPiBits[index] << offset;
  if (offset != 0) w |= kTwoOverPiBits[index + 1] >> (64 - offset);
  return w;
}

// |x| >= kModerateLimit: x = m 2^e exactly; x (2/pi) modulo 4 from a 256-bit
// window of 2/pi (the bits before it only add multiples of 4), giving the
// quadrant and a 192-bit fraction.
DD ReduceLarge(double ax, int& quadrant) {
  uint64_t bits = 0;
  std::memcpy(&bits, &ax, sizeof bits);
  const int e = static_cast<int>((bits >> 52) & 0x7FF) - 1075;
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int j0 = e - 1 > 1 ? e - 1 : 1;
  uint64_t window[4];  // little-endian
  for (int i = 0; i < 4; ++i) window[i] = TwoOverPiWord(j0 + 64 * (3 - i));
  uint64_t product[5];
  uint64_t carry = 0;
  for (int i = 0; i < 4; ++i) {
    uint64_t hi = 0, lo = 0;
    Multiply(m, window[i], hi, lo);
    lo += carry;
    product[i] = lo;
    carry = hi + (lo < carry ? 1 : 0);
  }
  product[4] = carry;
  const int point = j0 + 255 - e;  // the binary point of the product
  quadrant = static_cast<int>(Bits(product, 5, point, 2));
  uint64_t fraction[3];
  for (int i = 0; i < 3; ++i) fraction[i] = Bits(product, 5, point - 192 + 64 * i, 64);
  // A fraction of one half or more is taken as the next quadrant minus the rest.
  bool negative = false;
  if ((fraction[2] >> 63) != 0) {
    quadrant = (quadrant + 1) & 3;
    negative = true;
    uint64_t borrow = 1;  // two's complement of the 192-bit fraction
    for (uint64_t& w : fraction) {
      w = ~w + borrow;
      borrow = (borrow != 0 && w == 0) ? 1 : 0;
    }
  }
  int top = 191;
  while (top >= 0 && Bits(fraction, 3, top, 1) == 0) --top;
  if (top < 0) return DD{0, 0};
  const double hi = std::ldexp(static_cast<double>(Bits(fraction, 3, top - 52, 53)), top - 52 - 192);
  const double lo = std::ldexp(static_cast<double>(Bits(fraction, 3, top - 105, 53)), top - 105 - 192);
  const DD r = Mul(FastTwoSum(hi, lo), kPio2);
  return negative ? Neg(r) : r;
}

// x = q pi/2 + r with |r| <= about pi/4; quadrant = q mod 4.
DD Reduce(double x, int& quadrant) {
  const double ax = std::fabs(x);
  if (ax <= kPio4) {
    quadrant = 0;
    return DD{x, 0};
  }
  if (ax < kModerateLimit) {
    const double k = std::nearbyint(x * kTwoOverPi);
    // x - k P1 and k P2 are exact; the rest is carried in double-double.
    DD r = TwoSum(x - k * kPio2Part1, -(k * kPio2Part2));
    r = Sub(r, TwoProd(k, kPio2Part3));
    r = Sub(r, DD{k * kPio2Part4, 0});
    quadrant = static_cast<int>(static_cast<int64_t>(k) & 3);
    return r;
  }
  int q = 0;
  DD r = ReduceLarge(ax, q);
  if (x < 0) {
    r = Neg(r);
    q = (4 - q) & 3;
  }
  quadrant = q;
  return r;
}

double Round(DD a) { return a.hi + a.lo; }

// atan(u), 0 <= u <= 1, by three halvings, atan(u) = 2 atan(u / (1 + sqrt(1 + u^2))),
// which bring u below tan(pi/32), and the whole series in double-double.
DD AtanByHalving(DD u) {
  for (int h = 0; h < 3; ++h) u = Div(u, Add(DD{1, 0}, Sqrt(Add(DD{1, 0}, Mul(u, u)))));
  const DD a = Mul(Horner(kCoefficients.atan, Mul(u, u), kAtanTerms - 1), u);
  return DD{a.hi * 8, a.lo * 8};
}

// Tables, made once: sin and cos of j/128 for j = 0 to 101 (a little beyond
// pi/4), atan of i/64 for i = 0 to 64.
struct SinCos {
  DD s, c;
};

const std::array<SinCos, 102>& SinCosTable() {
  static const std::array<SinCos, 102> table = [] {
    std::array<SinCos, 102> t{};
    for (int j = 0; j < 102; ++j) t[j] = {SinKernel(DD{j / 128.0, 0}), CosKernel(DD{j / 128.0, 0})};
    return t;
  }();
  return table;
}

const std::array<DD, 65>& AtanTable() {
  static const std::array<DD, 65> table = [] {
    std::array<DD, 65> t{};
    for (int i = 1; i <= 64; ++i) t[i] = AtanByHalving(DD{i / 64.0, 0});
    return t;
  }();
  return table;
}

// ---- The quick first attempt: a table point and a short series in double
// arithmetic, h + l within 2^-65 (relative) of the exact value. When h + l
// moved by 2^-63 of itself either way could round to another double, the
// double-double evaluation decides (about one argument in a thousand).

bool RoundsOneWay(double h, double l, double& out) {
  const double e = std::fabs(h) * 0x1p-63;
  if (h + (l + e) != h + (l - e)) return false;
  out = h + l;
  return true;
}

// sin or cos of a reduced argument 0 <= r <= pi/4 (and a hair): with a = j/128
// the nearest table point and t = r - a, |t| <= 1/256,
//   sin(a + t) = S + C t + C (sin t - t) + S (cos t - 1),
//   cos(a + t) = C - S t - S (sin t - t) + C (cos t - 1).
bool QuickSinCos(DD r, bool sine, double& out) {
  const int j = static_cast<int>(std::nearbyint(r.hi * 128));
  const SinCos& e = SinCosTable()[j];
  const DD t = TwoSum(r.hi - j / 128.0, r.lo);  // the difference is exact (Sterbenz)
  const double t2 = t.hi * t.hi;
  const double st = t.hi * t2 * (-1.0 / 6 + t2 * (1.0 / 120 - t2 / 5040));
  const double ct = t2 * (-0.5 + t2 * (1.0 / 24 - t2 / 720));
  if (sine) {
    const DD p = TwoProd(e.c.hi, t.hi);
    const DD h = TwoSum(e.s.hi, p.hi);
    const double l =
        h.lo + (p.lo + e.c.hi * t.lo + e.c.lo * t.hi + e.s.lo + e.c.hi * st + e.s.hi * ct);
    return RoundsOneWay(h.hi, l, out);
  }
  const DD p = TwoProd(e.s.hi, t.hi);
  const DD h = TwoSum(e.c.hi, -p.hi);
  const double l =
      h.lo + (e.c.lo - p.lo - e.s.hi * t.lo - e.s.lo * t.hi - e.s.hi * st + e.c.hi * ct);
  return RoundsOneWay(h.hi, l, out);
}

// sin (sine) or cos of a reduced argument |r| <= pi/4 (and a hair).
double SinOrCos(DD r, bool sine) {
  const bool negative = r.hi < 0;
  if (negative) r = Neg(r);
  double v = 0;
  if (!QuickSinCos(r, sine, v)) v = Round(sine ? SinKernel(r) : CosKernel(r));
  return sine && negative ? -v : v;
}

}  // namespace

double CrSin(double x) {
  if (!std::isfinite(x)) return x - x;  // NaN; invalid for an infinity
  if (std::fabs(x) < 0x1p-26) return x;  // sin x rounds to x
  int quadrant = 0;
  const DD r = Reduce(x, quadrant);
  const double v = SinOrCos(r, quadrant % 2 == 0);
  return quadrant >= 2 ? -v : v;  // sin r, cos r, -sin r, -cos r
}

double CrCos(double x) {
  if (!std::isfinite(x)) return x - x;
  if (std::fabs(x) < 0x1p-27) return 1.0;  // cos x rounds to 1
  int quadrant = 0;
  const DD r = Reduce(x, quadrant);
  const double v = SinOrCos(r, quadrant % 2 == 1);
  return quadrant == 1 || quadrant == 2 ? -v : v;  // cos r, -sin r, -cos r, sin r
}

double CrAtan(double x) {
  if (std::isnan(x)) return x + x;
  const double ax = std::fabs(x);
  if (ax < 0x1p-27) return x;  // atan x rounds to x
  // Beyond 2^54, pi/2 - 1/x lies within half an ulp above the double of pi/2.
  if (ax > 0x1p54) return std::copysign(kPio2.hi, x);
  // atan(1/u) = pi/2 - atan(u) for u > 1; then, with c the nearest 64th,
  // atan(u) = atan(c) + atan(v), v = (u - c) / (1 + u c), |v| <= 1/128.
  const DD u = ax > 1 ? Div(DD{1, 0}, DD{ax, 0}) : DD{ax, 0};
  const int i = static_cast<int>(std::nearbyint(u.hi * 64));
  const double c = i / 64.0;
  const DD& atanC = AtanTable()[i];
  // Quick attempt: v to about 2^-100 (the numerator's difference is exact),
  // atan(v) - v by its series in double arithmetic.
  const DD num = TwoSum(u.hi - c, u.lo);
  const DD den = Add(DD{1, 0}, Mul(u, c));
  const double vh = num.hi / den.hi;
  const double vl = Sub(num, Mul(den, vh)).hi / den.hi;
  const double v2 = vh * vh;
  const double q = vh * v2 * (-1.0 / 3 + v2 * (1.0 / 5 + v2 * (-1.0 / 7 + v2 * (1.0 / 9 - v2 / 11))));
  DD h = TwoSum(atanC.hi, vh);
  double l = h.lo + (atanC.lo + vl + q);
  if (ax > 1) {
    const DD d = TwoSum(kPio2.hi, -h.hi);
    h = DD{d.hi, 0};
    l = d.lo + (kPio2.lo - l);
  }
  double result = 0;
  if (!RoundsOneWay(h.hi, l, result)) {
    const DD v = Div(Sub(u, DD{c, 0}), Add(DD{1, 0}, Mul(u, c)));
    DD a = Add(atanC, Mul(Horner(kCoefficients.atan, Mul(v, v), 3), v));
    if (ax > 1) a = Sub(kPio2, a);
    result = Round(a);
  }
  return x < 0 ? -result : result;
}

}  // namespace ostrel
