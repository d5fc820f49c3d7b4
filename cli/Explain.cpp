#include "Explain.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "OstrelDesignCSA94.h"
#include "ResultsOutput.h"

namespace ostrel::cli {
namespace {

using ojson = nlohmann::ordered_json;

constexpr int kCurvePoints = 50;
constexpr int kContourDirections = 72;
constexpr int kPass = 0, kUseTies = 1, kFailSteel = 3, kCoverTooLarge = 5, kMinAboveMax = 6;
constexpr const char* kControlLabels[] = {"tension", "pure bending", "balanced", "cap"};

struct Units {
  bool si;
  const char* force() const { return si ? "kN" : "kip"; }
  const char* force_per_length() const { return si ? "kN/m" : "kip/ft"; }
  const char* stress() const { return si ? "MPa" : "ksi"; }
};

// A number for a sentence: whole numbers from 1000 up, three significant
// digits below.
std::string Num(double v) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, std::fabs(v) >= 1000 ? "%.0f" : "%.3g", v);
  return buffer;
}

std::string Fixed2(double v) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return buffer;
}

// A demand/capacity ratio: two decimals, three significant digits when large.
std::string Dc(double v) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, v < 100 ? "%.2f" : "%.3g", v);
  return buffer;
}

std::string Percent(double v) { return Fixed2(v) + " %"; }

// A 32-bit value from the job or the results as the shortest decimal that
// reads back as the same float, so the JSON shows 2.025, not 2.0250000953.
double Tidy(float v) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer - 1, v).ptr;
  *end = '\0';
  return std::strtod(buffer, nullptr);
}

// A design value that comes from 32-bit analysis forces, shown to the
// precision those have.
double Tidy(double v) { return Tidy(static_cast<float>(v)); }

void Check(uint8_t result, const std::string& what) {
  if (result != 0) {
    throw ExplainError("cannot evaluate " + what);
  }
}

// The job's analysis row of one element and combination (both 1-based).
const float* Forces(const Job& job, const std::vector<float>& table, int element, int combo,
                    int width) {
  const size_t row = static_cast<size_t>(element - 1) * static_cast<size_t>(job.NumCombos()) +
                     static_cast<size_t>(combo - 1);
  if ((row + 1) * static_cast<size_t>(width) > table.size()) {
    throw ExplainError("the job has no analysis results for element " + std::to_string(element));
  }
  return table.data() + row * static_cast<size_t>(width);
}

// Wood-Armer design values of one resultant (own, other, twist): plus, minus.
std::array<double, 2> WoodArmer(double own, double other, double twist) {
  const double t = std::fabs(twist);
  const double plus = other + t < 0 ? own + std::fabs(t * t / other) : own + t;
  const double minus = other - t > 0 ? own - std::fabs(t * t / other) : own - t;
  return {plus, minus};
}

// The most compressive and most tensile axial force over the ultimate
// combinations, with their combinations (0 when none).
struct AxialExtremes {
  double compression = 0, tension = 0;
  int compression_combo = 0, tension_combo = 0;
  void Add(double value, int combo) {
    if (value < compression) compression = value, compression_combo = combo;
    if (value > tension) tension = value, tension_combo = combo;
  }
};

// The axial bounds of the design at one steel ratio: the reason when an
// axial force needs more steel, else "".
// The combination and demand/capacity of the axial bound that fails at one
// steel ratio (combination 0 when none does).
struct AxialFailure {
  int combination = 0;
  double dc = 0;
};
AxialFailure AxialBound(const AxialExtremes& a, double tension_resistance, double cap) {
  if (a.compression * 1.0001 < cap) return {a.compression_combo, a.compression * 1.0001 / cap};
  if (a.tension * 1.0001 * 1.01 > tension_resistance) {
    return {a.tension_combo, a.tension * 1.0001 * 1.01 / tension_resistance};
  }
  return {};
}

std::string AxialReason(const AxialExtremes& a, double tension_resistance, double cap,
                        const char* unit, const char* po_name, const std::string& at) {
  if (a.compression * 1.0001 < cap) {
    return "axial compression " + Num(-a.compression) + " " + unit + " exceeds 0.8 " + po_name +
           " = " + Num(-cap) + " " + unit + " " + at + " (combination " +
           std::to_string(a.compression_combo) + ")";
  }
  if (a.tension * 1.0001 * 1.01 > tension_resistance) {
    return "axial tension " + Num(a.tension) + " " + unit +
           " with its 1 % margin exceeds the tensile resistance " + Num(tension_resistance) +
           " " + unit + " " + at + " (combination " + std::to_string(a.tension_combo) + ")";
  }
  return "";
}

std::string AtRatio(float ratio, float maximum) {
  return ratio == maximum ? "at the maximum steel" : "at " + Percent(ratio);
}

// The ratio an element is evaluated at, or nothing when there is no section
// or limits to evaluate.
std::optional<float> EvaluationRatio(int status, float designed, float maximum,
                                     std::optional<float> requested) {
  if (status == kCoverTooLarge || status == 2 || status == 4) {
    return std::nullopt;
  }
  if (requested) return requested;
  if (status == kPass || status == kUseTies) return designed;
  if (status == kFailSteel) return maximum;
  return std::nullopt;
}

// Reason of a status that leaves nothing to evaluate; `sizes` states the
// dimensions the check compared, in words and numbers.
std::string GeometryReason(int status, float minimum, float maximum, const std::string& sizes) {
  switch (status) {
    case 2: return sizes + ": one curtain serves walls up to 250 mm, this one needs two";
    case 4: return sizes + ": the cover puts the bars outside the section";
    case kCoverTooLarge: return sizes + ": the covers leave no room for the bars";
    case kMinAboveMax:
      return "the minimum ratio " + Percent(minimum) + " exceeds the maximum " + Percent(maximum);
    default: return "";
  }
}

// Reason of a flexural result evaluated at `ratio` with the governing
// combination (`where` names it) at demand/capacity `dc`.
std::string FlexureReason(int status, float ratio, float designed, float minimum, float maximum,
                          const std::string& where, double dc, const std::string& axial) {
  if (status == kFailSteel) {
    if (!axial.empty()) return axial;
    return "needs more than the maximum " + Percent(maximum) + ": at " + Percent(ratio) + ", " +
           where + " has demand/capacity " + Dc(dc);
  }
  const std::string governs = where + " governs with demand/capacity " + Dc(dc);
  if (ratio == designed && designed <= minimum) {
    return "the minimum steel " + Percent(minimum) + " is enough: " + governs;
  }
  return governs + " at " + Percent(ratio);
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + "; " + b;
}

// ---- Stiffeners -----------------------------------------------------------

OstrelStiffenerProperties Section(const StiffenerInput& s) {
  return {s.bt_SectionType, s.bt_SectionProjection, s.f_SectionWidth, s.f_sectionHeight,
          s.f_LeftFlangeWidth, s.f_LeftFlangeThickness, s.f_RightFlangeWidth,
          s.f_RightFlangeThickness, s.f_fc, s.f_density, s.f_fy, s.f_Es, s.f_MinRatioOfRFT,
          s.f_MaxRatioOfRFT, s.bt_RFTType, s.f_Cover_Z, s.f_Cover_Y, s.f_Cover_Z_st,
          s.f_Cover_Y_st, s.bt_DesignAsColumn};
}

std::string ShearReason(const Job& job, int element, const OstrelStiffenerProperties& section,
                        int status, int combo, Units units) {
  if (status != 7 && status != 8) return "";
  const float* f = Forces(job, job.stiffener_forces, element, combo, kStiffenerForceValues);
  OstrelShearCheck y{}, z{};
  Check(OstrelDesignCSA94_StiffenerShearStress(job.bt_units, &section, f[1], f[2], f[3], &y, &z),
        "the shear stress of stiffener " + std::to_string(element));
  const OstrelShearCheck& c = status == 7 ? y : z;
  return std::string(c.bt_Governing == 1 ? "shear stress " : "shear and torsion stress ") +
         Num(c.d_Stress) + " " + units.stress() + " exceeds the limit " + Num(c.d_Limit) + " " +
         units.stress() + " along " + (status == 7 ? "y" : "z") + " (combination " +
         std::to_string(combo) + ")";
}

ojson StiffenerCurves(const Job& job, const OstrelStiffenerProperties& section, float ratio,
                      float contour_p, bool flanged) {
  std::vector<OstrelCurvePoint> points(OSTREL_STIFFENER_DIRECTIONS * kCurvePoints);
  std::vector<OstrelCurvePoint> control(OSTREL_STIFFENER_DIRECTIONS * OSTREL_CONTROL_POINTS);
  Check(OstrelDesignCSA94_StiffenerCurve(job.bt_units, &section, ratio, 0, kCurvePoints,
                                         points.data(), control.data()),
        "the interaction curves");
  ojson directions = ojson::array();
  for (int d = 0; d < OSTREL_STIFFENER_DIRECTIONS; ++d) {
    ojson curve = ojson::array();
    for (int i = 0; i < kCurvePoints; ++i) {
      const OstrelCurvePoint& p = points[static_cast<size_t>(d * kCurvePoints + i)];
      curve.push_back({p.d_P, p.d_M + 0.0});
    }
    ojson marks = ojson::array();
    for (int i = 0; i < OSTREL_CONTROL_POINTS; ++i) {
      const OstrelCurvePoint& p = control[static_cast<size_t>(d * OSTREL_CONTROL_POINTS + i)];
      marks.push_back({{"label", kControlLabels[i]}, {"P", p.d_P}, {"M", p.d_M + 0.0}});
    }
    directions.push_back({{"angle_deg", d == 7 ? 270 : d * 15},
                          {"points", std::move(curve)},
                          {"control_points", std::move(marks)}});
  }
  ojson curves = {{"directions", std::move(directions)}};
  if (flanged) {
    curves["contour"] = nullptr;  // the check of a flanged section takes Muy alone
    return curves;
  }
  std::vector<double> muy(kContourDirections), muz(kContourDirections);
  int32_t n = 0;
  Check(OstrelDesignCSA94_StiffenerContour(job.bt_units, &section, ratio, contour_p,
                                           kContourDirections, muy.data(), muz.data(), &n),
        "the Muy-Muz contour");
  ojson contour = ojson::array();
  for (int i = 0; i < n; ++i) contour.push_back({muy[static_cast<size_t>(i)], muz[static_cast<size_t>(i)]});
  curves["contour"] = {{"P", Tidy(contour_p)}, {"points", std::move(contour)}};
  return curves;
}

ojson ExplainStiffener(const Job& job, const DesignResults& results, int e,
                       std::optional<float> requested, bool with_curves) {
  const StiffenerInput& in = job.stiffeners[static_cast<size_t>(e - 1)];
  const StiffenerResults& r = results.stiffeners[static_cast<size_t>(e - 1)];
  const OstrelStiffenerProperties section = Section(in);
  const Units units{job.bt_units == 1};
  const int flexure = Find(r.flexure, "bt_DesignStatus").i;
  const int shear = Find(r.shear, "bt_DsignStatus").i;
  const float designed = Find(r.flexure, "f_RatioOfSteel").f;
  const std::optional<float> ratio =
      EvaluationRatio(flexure, designed, in.f_MaxRatioOfRFT, requested);

  ojson demands = ojson::array();
  int gov_combo = Find(r.flexure, "i_DesignComboIndex").i;
  int gov_end = 1;
  double gov_dc = -1;
  AxialExtremes axial;
  for (int c = 1; ratio && c <= job.NumCombos(); ++c) {
    if (job.combinations[static_cast<size_t>(c - 1)] != 1) continue;
    const float* f = Forces(job, job.stiffener_forces, e, c, kStiffenerForceValues);
    axial.Add(f[0], c);
    for (int end = 1; end <= 2; ++end) {
      double dc = 0;
      uint8_t has = 0;
      Check(OstrelDesignCSA94_StiffenerDemandCapacity(job.bt_units, &section, *ratio, f[0],
                                                      f[end * 6 - 2], f[end * 6 - 1], &dc, &has),
            "stiffener " + std::to_string(e));
      demands.push_back({{"combination", c}, {"end", end}, {"P", Tidy(f[0])},
                         {"Muy", Tidy(f[end * 6 - 2])}, {"Muz", Tidy(f[end * 6 - 1])},
                         {"dc", has ? ojson(dc) : ojson(nullptr)}});
      if (has && dc > gov_dc) gov_dc = dc, gov_combo = c, gov_end = end;
    }
  }

  const std::string length = units.si ? " mm" : " in";
  std::string reason = GeometryReason(
      flexure, in.f_MinRatioOfRFT, in.f_MaxRatioOfRFT,
      "section " + Num(in.f_SectionWidth) + " x " + Num(in.f_sectionHeight) + length +
          ", covers to the bars " + Num(in.f_Cover_Z) + " (z) and " + Num(in.f_Cover_Y) +
          " (y), to the stirrups " + Num(in.f_Cover_Z_st) + " (z) and " + Num(in.f_Cover_Y_st) +
          " (y)" + length);
  ojson curves;
  if (ratio) {
    OstrelCurvePoint points[2], control[OSTREL_CONTROL_POINTS];
    Check(OstrelDesignCSA94_StiffenerCurve(job.bt_units, &section, *ratio, 1, 2, points, control),
          "stiffener " + std::to_string(e));
    const std::string where =
        "combination " + std::to_string(gov_combo) + " (end " + std::to_string(gov_end) + ")";
    reason = FlexureReason(flexure, *ratio, designed, in.f_MinRatioOfRFT, in.f_MaxRatioOfRFT,
                           where, gov_dc,
                           AxialReason(axial, control[0].d_P, control[3].d_P, units.force(), "Po",
                                       AtRatio(*ratio, in.f_MaxRatioOfRFT)));
    // An axial force beyond the section's axial resistance is what fails it.
    const AxialFailure bound = AxialBound(axial, control[0].d_P, control[3].d_P);
    if (flexure == kFailSteel && bound.combination != 0) {
      gov_combo = bound.combination, gov_dc = bound.dc;
    }
    if (with_curves) {
      const bool flanged = in.f_LeftFlangeWidth > 0.0001f || in.f_RightFlangeWidth > 0.0001f;
      const float p = gov_combo > 0
                          ? Forces(job, job.stiffener_forces, e, gov_combo, kStiffenerForceValues)[0]
                          : 0.0f;
      curves = StiffenerCurves(job, section, *ratio, p, flanged);
    }
  }
  if (flexure != kCoverTooLarge) {
    const int shear_combo =
        Find(r.shear, shear == 7 ? "i_DesignComboIndex_y" : "i_DesignComboIndex_z").i;
    reason = Join(reason, ShearReason(job, e, section, shear, shear_combo, units));
  }
  const int status = flexure != kPass ? flexure : shear;
  ojson out = {{"element", e},
               {"kind", "stiffener"},
               {"units", units.si ? "SI" : "US"},
               {"ratio", Tidy(ratio ? *ratio : designed)},
               {"status", status},
               {"status_name", StatusName(status)},
               {"reason", reason},
               {"governing", {{"combination", gov_combo},
                              {"dc", gov_dc >= 0 ? ojson(gov_dc) : ojson(nullptr)}}},
               {"demands", std::move(demands)}};
  if (with_curves) out["curves"] = std::move(curves);
  return out;
}

// ---- Plates ---------------------------------------------------------------

OstrelPlateProperties Plate(const PlateInput& p) {
  return {p.f_Thickness, p.f_fc, p.f_fy, p.f_Es, p.f_MinRatioOfRFT, p.f_MaxRatioOfRFT,
          p.f_MinRatioOfRFT_v, p.f_MaxRatioOfRFT_v, p.bt_NumCurtains, p.f_CoverToRFT_X,
          p.f_CoverToRFT_Y};
}

struct DirectionExplained {
  ojson ratio, status, status_name, governing, curve = ojson::array();
  std::string reason;
};

DirectionExplained ExplainPlateDirection(const Job& job, const DesignResults& results, int e,
                                         bool x, std::optional<float> requested,
                                         bool with_curves, ojson& demands) {
  const PlateInput& in = job.plates[static_cast<size_t>(e - 1)];
  const ResultRecord& r = results.plates[static_cast<size_t>(e - 1)];
  const OstrelPlateProperties plate = Plate(in);
  const Units units{job.bt_units == 1};
  const std::string s = x ? "_x" : "_y";
  const uint8_t direction = x ? OSTREL_PLATE_X : OSTREL_PLATE_Y;
  const int status = Find(r, "bt_DsignStatus" + s).i;
  const float designed = Find(r, "f_RatioOfSteel" + s).f;
  const float floor = x ? 0.2f : 0.15f;
  const float given_min = x ? in.f_MinRatioOfRFT : in.f_MinRatioOfRFT_v;
  const float minimum = given_min < floor ? floor : given_min;
  const float maximum = x ? in.f_MaxRatioOfRFT : in.f_MaxRatioOfRFT_v;
  const std::optional<float> ratio = EvaluationRatio(status, designed, maximum, requested);

  DirectionExplained out;
  int gov_combo = Find(r, "i_DesignComboIndex" + s).i;
  double gov_dc = -1;
  const std::string length = units.si ? " mm" : " in";
  out.reason = GeometryReason(
      status, minimum, maximum,
      "wall " + Num(in.f_Thickness) + length + " thick, " + std::to_string(in.bt_NumCurtains) +
          (in.bt_NumCurtains == 1 ? " curtain" : " curtains") + ", cover " +
          Num(x ? in.f_CoverToRFT_X : in.f_CoverToRFT_Y) + length);
  if (ratio) {
    AxialExtremes axial;
    for (int c = 1; c <= job.NumCombos(); ++c) {
      if (job.combinations[static_cast<size_t>(c - 1)] != 1) continue;
      const float* f = Forces(job, job.plate_forces, e, c, kPlateForceValues);
      const std::array<double, 2> n = WoodArmer(x ? f[0] : f[1], x ? f[1] : f[0], f[2]);
      axial.Add(n[0], c);
      axial.Add(n[1], c);
      double dc = 0, N = 0, M = 0;
      Check(OstrelDesignCSA94_PlateStripDemandCapacity(job.bt_units, &plate, *ratio, direction,
                                                       f, &dc, &N, &M),
            "plate " + std::to_string(e));
      demands.push_back({{"combination", c}, {"direction", x ? "x" : "y"}, {"P", Tidy(N)},
                         {"M", Tidy(M)},
                         {"dc", dc}});
      if (dc > gov_dc) gov_dc = dc, gov_combo = c;
    }
    std::vector<double> N(2 * kCurvePoints), M(2 * kCurvePoints);
    Check(OstrelDesignCSA94_PlateStripCurve(job.bt_units, &plate, *ratio, direction, kCurvePoints,
                                            N.data(), M.data()),
          "plate " + std::to_string(e));
    out.reason = FlexureReason(status, *ratio, designed, minimum, maximum,
                               "combination " + std::to_string(gov_combo), gov_dc,
                               AxialReason(axial, N.front(), N[kCurvePoints - 1],
                                           units.force_per_length(), "P0",
                                           AtRatio(*ratio, maximum)));
    const AxialFailure bound = AxialBound(axial, N.front(), N[kCurvePoints - 1]);
    if (status == kFailSteel && bound.combination != 0) {
      gov_combo = bound.combination, gov_dc = bound.dc;
    }
    if (with_curves) {
      for (size_t i = 0; i < N.size(); ++i) out.curve.push_back({N[i], M[i]});
    }
  }
  out.ratio = Tidy(ratio ? *ratio : designed);
  out.status = status;
  out.status_name = StatusName(status);
  out.governing = {{"combination", gov_combo},
                   {"dc", gov_dc >= 0 ? ojson(gov_dc) : ojson(nullptr)}};
  out.reason = std::string(x ? "x: " : "y: ") + out.reason;
  return out;
}

ojson ExplainPlate(const Job& job, const DesignResults& results, int e,
                   std::optional<float> requested, bool with_curves) {
  ojson demands = ojson::array();
  const DirectionExplained x =
      ExplainPlateDirection(job, results, e, true, requested, with_curves, demands);
  const DirectionExplained y =
      ExplainPlateDirection(job, results, e, false, requested, with_curves, demands);
  ojson out = {{"element", e},
               {"kind", "plate"},
               {"units", job.bt_units == 1 ? "SI" : "US"},
               {"ratio", {{"x", x.ratio}, {"y", y.ratio}}},
               {"status", {{"x", x.status}, {"y", y.status}}},
               {"status_name", {{"x", x.status_name}, {"y", y.status_name}}},
               {"reason", x.reason + "; " + y.reason},
               {"governing", {{"x", x.governing}, {"y", y.governing}}},
               {"demands", std::move(demands)}};
  if (with_curves) out["curves"] = {{"x", x.curve}, {"y", y.curve}};
  return out;
}

}  // namespace

ojson ExplainElement(const Job& job, const DesignResults& results, ElementKind kind, int element,
                     std::optional<float> ratio, bool with_curves) {
  const bool plate = kind == ElementKind::Plate;
  const size_t count = plate ? results.plates.size() : results.stiffeners.size();
  if (element < 1 || static_cast<size_t>(element) > count) {
    throw ExplainError(std::string("the job has no ") + (plate ? "plate" : "stiffener") + " " +
                       std::to_string(element) + " (it has " + std::to_string(count) + ")");
  }
  return plate ? ExplainPlate(job, results, element, ratio, with_curves)
               : ExplainStiffener(job, results, element, ratio, with_curves);
}

std::string WithExplanations(const std::string& results_json, const Job& job,
                             const DesignResults& results) {
  ojson doc = ojson::parse(results_json);
  for (size_t e = 0; e < results.plates.size(); ++e) {
    doc["plates"][e]["explain"] = ExplainElement(job, results, ElementKind::Plate,
                                                 static_cast<int>(e + 1), std::nullopt, false);
  }
  for (size_t e = 0; e < results.stiffeners.size(); ++e) {
    doc["stiffeners"][e]["explain"] = ExplainElement(
        job, results, ElementKind::Stiffener, static_cast<int>(e + 1), std::nullopt, false);
  }
  return doc.dump(2) + "\n";
}

}  // namespace ostrel::cli
