// The capacity functions of the public interface: an element's section, as
// the host describes it to the input methods, put into a one-element model
// of the function's own (never the calling thread's), and its resistance
// taken from the design's routines (stiffener/InteractionDiagram.h,
// plate/StripInteraction.h), converted to the host's units.
#include <cmath>
#include <functional>
#include <new>
#include <string>

#include "OstrelDesignCSA94.hpp"
#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "hosting/MessageBox.h"
#include "plate/StripInteraction.h"
#include "run/modDesign.h"
#include "stiffener/InteractionDiagram.h"

using namespace ostrel;

namespace {

constexpr int32_t kMaxCurvePoints = 10000;
constexpr int32_t kMaxContourDirections = 3600;

// Runs one capacity function: the calling thread's floating-point flags and
// suspend flag are kept as they were, a refusal or any failure becomes one
// message box of one line and the result 1.
uint8_t RunCapacityFunction(const char* name, const std::function<void()>& body) {
  std::string why;
  {
    FloatFlagsScope keepFlags;
    // A suspended run's wait must not be entered from here.
    int16_t& suspend = Design().i_SuspendFlag;
    const int16_t suspended = suspend;
    suspend = 0;
    try {
      ClearFloatFaults();
      body();
      CheckFloatFaults();
      suspend = suspended;
      return 0;
    } catch (const CapacityRefusal& refusal) {
      why = refusal.what();
    } catch (const RunTimeError& error) {
      why = std::string("the computation failed (") + error.what() + ")";
    } catch (const std::bad_alloc&) {
      why = "out of memory";
    } catch (...) {
      why = "unexpected error";
    }
    suspend = suspended;
  }
  ShowMessageBox(std::string(name) + ": " + why);
  return 1;
}

void Refuse(const std::string& why) { throw CapacityRefusal(why); }

// A host value that must be a finite number.
float Finite(float v, const char* what) {
  if (!std::isfinite(v)) {
    Refuse(std::string(what) + " is not a finite number");
  }
  return v;
}

float Positive(float v, const char* what) {
  if (!(Finite(v, what) > 0)) {
    Refuse(std::string(what) + " must be greater than 0");
  }
  return v;
}

// A model of the function's own: the unit factors of the code, the design
// constants and one ultimate combination.
void StartModel(uint8_t units, modGlobal& g) {
  if (units != 0 && units != 1) {
    Refuse("unrecognized units code " + std::to_string(units) + " (0 US customary, 1 SI)");
  }
  g.bt_units = units;
  SetUnitFactors(g);
  SetDesignConstants(g);
  g.i_NumLoadCombos = 1;
  g.LoadCombo.bt_ComboType.Create(1);
  g.LoadCombo.bt_ComboType(1) = 1;
}

double RatioFraction(float percent) {
  if (!(Finite(percent, "the steel ratio") > 0 && percent <= 100)) {
    Refuse("the steel ratio must be greater than 0 and at most 100 percent");
  }
  return static_cast<double>(percent) / 100;
}

// Element 1 of g: the stiffener as SetStiffenerElementProperties stores it,
// after the same checks of shape, codes and covers.
void SetStiffener(const OstrelStiffenerProperties& p, modGlobal& g) {
  if (p.bt_SectionType > 1) {
    Refuse("unrecognized web shape " + std::to_string(p.bt_SectionType));
  }
  const bool circular = p.bt_SectionType == 1;
  const float width = Positive(p.f_SectionWidth, "the section width");
  const float height = circular ? width : Positive(p.f_sectionHeight, "the section height");
  const uint8_t projection = circular ? 1 : p.bt_SectionProjection;
  if (projection > 2) {
    Refuse("unrecognized projection option " + std::to_string(projection));
  }
  if (p.bt_RFTType > 3) {
    Refuse("unrecognized reinforcement arrangement " + std::to_string(p.bt_RFTType));
  }
  if (circular && p.bt_RFTType != 3) {
    Refuse("a circular section needs its bars on a circle (arrangement 3)");
  }
  const float coverZ = Finite(p.f_Cover_Z, "the z cover");
  const float coverY = Finite(p.f_Cover_Y, "the y cover");
  if (coverZ < 0.0001 || coverY < 0.0001) {
    Refuse("the cover is too small");
  }
  if (coverY > static_cast<float>(0.5 * height - 0.0001) ||
      coverZ > static_cast<float>(0.5 * width - 0.0001)) {
    Refuse("the cover is too large");
  }
  const float flanges[4] = {Finite(p.f_LeftFlangeWidth, "the left flange width"),
                            Finite(p.f_LeftFlangeThickness, "the left flange thickness"),
                            Finite(p.f_RightFlangeWidth, "the right flange width"),
                            Finite(p.f_RightFlangeThickness, "the right flange thickness")};

  typStiffenerElement& s = g.StiffenerElement;
  g.i_NumStiffenerElements = 1;
  s.bt_SectionType.Create(1);
  s.f_SectionWidth.Create(1);
  s.f_sectionHeight.Create(1);
  s.f_fc.Create(1);
  s.f_density.Create(1);
  s.f_fy.Create(1);
  s.f_Es.Create(1);
  s.bt_RFTType.Create(1);
  s.f_Cover.Create(1);
  s.f_Cover_st.Create(1);
  s.bt_SectionProjection.Create(1);
  s.f_FlangeWidth.Create(1);
  s.f_FlangeThickness.Create(1);
  s.bt_SectionType(1) = p.bt_SectionType;
  s.f_SectionWidth(1) = width;
  s.f_sectionHeight(1) = height;
  s.bt_SectionProjection(1) = projection;
  s.f_FlangeWidth(1) = {0, flanges[0], flanges[2]};
  s.f_FlangeThickness(1) = {0, flanges[1], flanges[3]};
  s.f_fc(1) = Positive(p.f_fc, "f'c");
  s.f_density(1) = Finite(p.f_density, "the density");
  s.f_fy(1) = Positive(p.f_fy, "fy");
  s.f_Es(1) = Positive(p.f_Es, "Es");
  s.bt_RFTType(1) = p.bt_RFTType;
  s.f_Cover(1) = {0, coverY, coverZ, 0};
  s.f_Cover_st(1) = {0, Finite(p.f_Cover_Y_st, "the y stirrup cover"),
                     Finite(p.f_Cover_Z_st, "the z stirrup cover"), 0};
}

// Element 1 of g: the plate as SetPlateElementProperties stores it.
void SetPlate(const OstrelPlateProperties& p, modGlobal& g) {
  if (p.bt_NumCurtains < 1 || p.bt_NumCurtains > 2) {
    Refuse("a plate has one or two curtains of bars");
  }
  typPlateElement& e = g.PlateElement;
  g.i_NumPlateElements = 1;
  e.f_Thickness.Create(1);
  e.f_fc.Create(1);
  e.f_fy.Create(1);
  e.f_Es.Create(1);
  e.f_MinRatioOfRFT.Create(1);
  e.f_MaxRatioOfRFT.Create(1);
  e.f_MinRatioOfRFT_v.Create(1);
  e.f_MaxRatioOfRFT_v.Create(1);
  e.bt_NumCurtains.Create(1);
  e.f_CoverToRFT.Create(1);
  e.f_Thickness(1) = Positive(p.f_Thickness, "the thickness");
  e.f_fc(1) = Positive(p.f_fc, "f'c");
  e.f_fy(1) = Positive(p.f_fy, "fy");
  e.f_Es(1) = Positive(p.f_Es, "Es");
  e.bt_NumCurtains(1) = p.bt_NumCurtains;
  e.f_CoverToRFT(1) = {0, Finite(p.f_CoverToRFT_X, "the x cover"),
                       Finite(p.f_CoverToRFT_Y, "the y cover"), 0};
}

PlateDirection Direction(uint8_t code) {
  if (code != OSTREL_PLATE_X && code != OSTREL_PLATE_Y) {
    Refuse("unrecognized direction " + std::to_string(code) + " (1 x, 2 y)");
  }
  return code == OSTREL_PLATE_X ? kPlateX : kPlateY;
}

// A load in internal units, as the design converts what it fetches.
double Load(float v, float factor, const char* what) {
  return static_cast<double>(Finite(v, what)) * static_cast<double>(factor);
}

// A result in the host's units; it must be finite.
double Out(double v, float factor) {
  const double host = v / static_cast<double>(factor);
  if (!std::isfinite(host)) {
    throw RunTimeError("a result is not a finite number");
  }
  return host;
}

int32_t CountInRange(int32_t n, int32_t low, int32_t high, const char* what) {
  if (n < low || n > high) {
    Refuse(std::string("the number of ") + what + " must be " + std::to_string(low) + " to " +
           std::to_string(high));
  }
  return n;
}

OstrelCurvePoint HostPoint(const StiffenerInteraction::Point& p, const modGlobal& g) {
  return {Out(p.P, g.f_ForceFactor), Out(p.M, g.f_MomentFactor), Out(p.Muy, g.f_MomentFactor),
          Out(p.Muz, g.f_MomentFactor)};
}

}  // namespace

uint8_t clsDesignCSA94::StiffenerCurve(uint8_t bt_units, const OstrelStiffenerProperties& section,
                                       float f_RatioOfSteel, int32_t l_Direction,
                                       int32_t l_NumPoints, std::vector<OstrelCurvePoint>& points,
                                       std::vector<OstrelCurvePoint>& control) {
  return RunCapacityFunction("OstrelDesignCSA94_StiffenerCurve", [&] {
    modGlobal g;
    StartModel(bt_units, g);
    SetStiffener(section, g);
    const double ratio = RatioFraction(f_RatioOfSteel);
    const int n = CountInRange(l_NumPoints, 2, kMaxCurvePoints, "points");
    if (l_Direction < 0 || l_Direction > OSTREL_STIFFENER_DIRECTIONS) {
      Refuse("the direction must be 1 to 8, or 0 for all eight");
    }
    StiffenerInteraction diagram(g, 1, ratio);
    const int first = l_Direction == 0 ? 1 : l_Direction;
    const int last = l_Direction == 0 ? OSTREL_STIFFENER_DIRECTIONS : l_Direction;
    const size_t directions = static_cast<size_t>(last - first + 1);
    std::vector<StiffenerInteraction::Point> curve(directions * static_cast<size_t>(n));
    std::vector<StiffenerInteraction::Point> marks(directions * StiffenerInteraction::kNumControl);
    diagram.Curves(first, last, n, curve.data(), marks.data());
    std::vector<OstrelCurvePoint> outPoints;
    std::vector<OstrelCurvePoint> outControl;
    for (const StiffenerInteraction::Point& p : curve) {
      outPoints.push_back(HostPoint(p, g));
    }
    for (const StiffenerInteraction::Point& p : marks) {
      outControl.push_back(HostPoint(p, g));
    }
    points = std::move(outPoints);
    control = std::move(outControl);
  });
}

uint8_t clsDesignCSA94::StiffenerMomentCurve(uint8_t bt_units,
                                             const OstrelStiffenerProperties& section,
                                             float f_RatioOfSteel, double d_AngleDeg,
                                             int32_t l_NumPoints,
                                             std::vector<OstrelCurvePoint>& points) {
  return RunCapacityFunction("OstrelDesignCSA94_StiffenerMomentCurve", [&] {
    modGlobal g;
    StartModel(bt_units, g);
    SetStiffener(section, g);
    const double ratio = RatioFraction(f_RatioOfSteel);
    const int n = CountInRange(l_NumPoints, 2, kMaxCurvePoints, "points");
    if (!std::isfinite(d_AngleDeg)) {
      Refuse("the moment direction is not a finite number");
    }
    StiffenerInteraction diagram(g, 1, ratio);
    std::vector<StiffenerInteraction::Point> curve(static_cast<size_t>(n));
    const double degree = (4 * std::atan(1.0)) / 180;
    diagram.MomentCurve(std::fmod(d_AngleDeg, 360.0) * degree, n, curve.data());
    std::vector<OstrelCurvePoint> out;
    for (const StiffenerInteraction::Point& p : curve) {
      out.push_back(HostPoint(p, g));
    }
    points = std::move(out);
  });
}

uint8_t clsDesignCSA94::StiffenerContour(uint8_t bt_units,
                                         const OstrelStiffenerProperties& section,
                                         float f_RatioOfSteel, float f_P,
                                         int32_t l_NumDirections, std::vector<double>& d_Muy,
                                         std::vector<double>& d_Muz) {
  return RunCapacityFunction("OstrelDesignCSA94_StiffenerContour", [&] {
    modGlobal g;
    StartModel(bt_units, g);
    SetStiffener(section, g);
    const double ratio = RatioFraction(f_RatioOfSteel);
    const int k = CountInRange(l_NumDirections, 2, kMaxContourDirections, "directions");
    const double P = Load(f_P, g.f_ForceFactor, "the axial force");
    StiffenerInteraction s(g, 1, ratio);
    std::vector<double> muy(static_cast<size_t>(k));
    std::vector<double> muz(static_cast<size_t>(k));
    const int written = s.Contour(P, k, muy.data(), muz.data());
    muy.resize(static_cast<size_t>(written));
    muz.resize(static_cast<size_t>(written));
    for (int i = 0; i < written; ++i) {
      muy[static_cast<size_t>(i)] = Out(muy[static_cast<size_t>(i)], g.f_MomentFactor);
      muz[static_cast<size_t>(i)] = Out(muz[static_cast<size_t>(i)], g.f_MomentFactor);
    }
    d_Muy = std::move(muy);
    d_Muz = std::move(muz);
  });
}

uint8_t clsDesignCSA94::StiffenerDemandCapacity(uint8_t bt_units,
                                                const OstrelStiffenerProperties& section,
                                                float f_RatioOfSteel, float f_P, float f_Muy,
                                                float f_Muz, double& d_Ratio, bool& hasRatio) {
  return RunCapacityFunction("OstrelDesignCSA94_StiffenerDemandCapacity", [&] {
    modGlobal g;
    StartModel(bt_units, g);
    SetStiffener(section, g);
    const double ratio = RatioFraction(f_RatioOfSteel);
    const double P = Load(f_P, g.f_ForceFactor, "the axial force");
    const double muy = Load(f_Muy, g.f_MomentFactor, "Muy");
    const double muz = Load(f_Muz, g.f_MomentFactor, "Muz");
    StiffenerInteraction s(g, 1, ratio);
    double r = 0;
    const bool has = s.DemandCapacity(P, muy, muz, r);
    const double out = Out(r, 1.0f);
    d_Ratio = out;
    hasRatio = has;
  });
}

uint8_t clsDesignCSA94::StiffenerShearStress(uint8_t bt_units,
                                             const OstrelStiffenerProperties& section, float f_Vy,
                                             float f_Vz, float f_T, OstrelShearCheck& along_y,
                                             OstrelShearCheck& along_z) {
  return RunCapacityFunction("OstrelDesignCSA94_StiffenerShearStress", [&] {
    modGlobal g;
    StartModel(bt_units, g);
    SetStiffener(section, g);
    const double vy = Load(f_Vy, g.f_ForceFactor, "Vy");
    const double vz = Load(f_Vz, g.f_ForceFactor, "Vz");
    const double t = Load(f_T, g.f_MomentFactor, "T");
    StiffenerInteraction s(g, 1, 0.0);
    OstrelShearCheck result[2];
    for (int i = 0; i < 2; ++i) {
      bool checked = false;
      const ShearStressCheck c = s.ShearStress(i == 0, i == 0 ? vy : vz, t, checked);
      const bool shear = c.steelRatio > c.crushingRatio;
      result[i].bt_Checked = checked ? 1 : 0;
      result[i].bt_Governing = shear ? 1 : 2;
      result[i].d_Stress = Out(shear ? c.shearStress : c.combinedStress, g.f_StressFactor);
      result[i].d_Limit = Out(shear ? c.shearLimit : c.combinedLimit, g.f_StressFactor);
      result[i].d_Ratio = Out(c.Governing(), 1.0f);
    }
    along_y = result[0];
    along_z = result[1];
  });
}

uint8_t clsDesignCSA94::PlateStripCurve(uint8_t bt_units, const OstrelPlateProperties& plate,
                                        float f_RatioOfSteel, uint8_t bt_Direction,
                                        int32_t l_NumPoints, std::vector<double>& d_N,
                                        std::vector<double>& d_M) {
  return RunCapacityFunction("OstrelDesignCSA94_PlateStripCurve", [&] {
    modGlobal g;
    StartModel(bt_units, g);
    SetPlate(plate, g);
    const double ratio = RatioFraction(f_RatioOfSteel);
    const PlateDirection direction = Direction(bt_Direction);
    const int n = CountInRange(l_NumPoints, 2, kMaxCurvePoints, "points");
    StripInteraction strip(g, 1, direction, ratio);
    std::vector<double> N(2 * static_cast<size_t>(n));
    std::vector<double> M(2 * static_cast<size_t>(n));
    strip.Curve(n, N.data(), M.data());
    for (size_t i = 0; i < N.size(); ++i) {
      N[i] = Out(N[i], g.f_ForcePerLengthFactor);
      M[i] = Out(M[i], g.f_MomentPerLengthFactor);
    }
    d_N = std::move(N);
    d_M = std::move(M);
  });
}

uint8_t clsDesignCSA94::PlateStripDemandCapacity(uint8_t bt_units,
                                                 const OstrelPlateProperties& plate,
                                                 float f_RatioOfSteel, uint8_t bt_Direction,
                                                 const std::array<float, 6>& f_Forces,
                                                 double& d_Ratio, double& d_N, double& d_M) {
  return RunCapacityFunction("OstrelDesignCSA94_PlateStripDemandCapacity", [&] {
    modGlobal g;
    StartModel(bt_units, g);
    SetPlate(plate, g);
    const double ratio = RatioFraction(f_RatioOfSteel);
    const PlateDirection direction = Direction(bt_Direction);
    float raw[6];
    for (int i = 0; i < 6; ++i) {
      raw[i] = Finite(f_Forces[static_cast<size_t>(i)], "a plate force");
    }
    StripInteraction strip(g, 1, direction, ratio);
    double N = 0;
    double M = 0;
    const double r = Out(strip.DemandCapacity(raw, N, M), 1.0f);
    const double hostN = Out(N, g.f_ForcePerLengthFactor);
    const double hostM = Out(M, g.f_MomentPerLengthFactor);
    d_Ratio = r;
    d_N = hostN;
    d_M = hostM;
  });
}
