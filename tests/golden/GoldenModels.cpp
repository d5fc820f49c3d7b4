#include "golden/GoldenModels.h"

#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>
#include <tuple>
#include <utility>

#include "support/MessageCapture.h"
#include "support/Queries.h"

namespace ostrel::golden {
namespace {

// std::mt19937's sequence is fixed by the C++ standard; the scaling to [0, 1)
// uses the top 24 bits of each draw, exactly, so every platform draws the
// same floats.
class Rng {
 public:
  explicit Rng(uint32_t seed) : engine_(seed) {}
  double Range(double lo, double hi) {
    return lo + (hi - lo) * (static_cast<double>((engine_() & 0xffffffffu) >> 8) * 0x1p-24);
  }
  int Pick(int n) { return static_cast<int>((engine_() & 0xffffffffu) % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Pick(100) < percent; }
  // An ultimate combination chosen at random (every model has one).
  int Ultimate(const std::vector<uint8_t>& types) {
    for (;;) {
      const int k = Pick(static_cast<int>(types.size()));
      if (types[k] == 1) return k;
    }
  }

 private:
  std::mt19937 engine_;
};

// Generation is in SI (mm, MPa, kg/m3, kN, kN-m, kN/m, kN-m/m), converted
// to the host's units of the model.
enum Quantity { kLength, kStress, kDensity, kForce, kMoment, kForcePerLength, kMomentPerLength };

struct HostUnits {
  bool si;
  float operator()(Quantity q, double v) const {
    if (!si) {
      switch (q) {
        case kLength: v /= 25.4; break;
        case kStress: v /= 6.8948; break;
        case kDensity: v /= 16.013; break;
        case kForce: v = v * 1000.0 / 4448.222; break;
        case kMoment: v = v * 1.0e6 / 1355817.456; break;
        case kForcePerLength: v /= 14.59318; break;
        case kMomentPerLength: v = v * 1000.0 / 4448.0; break;
      }
    }
    return static_cast<float>(v);
  }
};

// Plate kinds, cycled over the elements, each aiming at one outcome: ties,
// two curtains needed (thick, one curtain), bars out of the section in x,
// covers of two curtains overlapping in y, x minimum ratio above its maximum,
// compression or tension beyond the maximum steel.
enum PlateKind {
  kPlatePass, kPlateOneCurtain, kPlateTies, kPlateThickOneCurtain, kPlateCoverOutside,
  kPlateCoversOverlap, kPlateMinAboveMax, kPlateCrushed, kPlateMixed, kPlateHighStrength,
  kPlateKinds
};

PlateInput MakePlate(Rng& rng, const HostUnits& u, int kind) {
  double t = rng.Range(160, 240), coverX = rng.Range(35, 60), coverY = rng.Range(35, 60);
  double fc = rng.Range(25, 45), fy = 400, minX = 0.25, maxX = 4, minY = 0.25, maxY = 4;
  int curtains = 2;
  switch (kind) {
    case kPlateOneCurtain:
      curtains = 1, t = rng.Range(150, 240);
      coverX = t / 2 + rng.Range(-20, 20);
      coverY = t / 2 + rng.Range(-20, 20);
      break;
    case kPlateThickOneCurtain: curtains = 1, t = rng.Range(260, 400); break;
    case kPlateCoverOutside:
      curtains = 1, t = 200, coverX = rng.Range(200, 260), coverY = 100;
      break;
    case kPlateCoversOverlap: t = 200, coverY = rng.Range(101, 150); break;
    case kPlateMinAboveMax: minX = 3, maxX = 2.5; break;
    case kPlateMixed:
      curtains = 1 + rng.Pick(2), t = rng.Range(120, 300);
      coverX = rng.Range(20, 80), coverY = rng.Range(20, 80);
      minX = rng.Range(0.1, 1), minY = rng.Range(0.1, 1);
      maxX = rng.Range(1.5, 5), maxY = rng.Range(1.5, 5);
      fy = rng.Range(300, 550);
      break;
    case kPlateHighStrength:
      t = 250, fc = rng.Range(70, 110), fy = rng.Range(450, 600), minX = minY = 0.1;
      break;
    default: break;
  }
  auto f = [](double v) { return static_cast<float>(v); };
  return PlateInput{u(kLength, t), u(kStress, fc), u(kStress, fy), u(kStress, 200000), f(minX),
                    f(maxX), f(minY), f(maxY), static_cast<uint8_t>(curtains), u(kLength, coverX),
                    u(kLength, coverY)};
}

// Nx, Ny, Nxy, Mx, My, Mxy per combination.
std::vector<std::array<float, 6>> MakePlateForces(Rng& rng, const HostUnits& u, int kind,
                                                  const std::vector<uint8_t>& types) {
  const double m = kind == kPlateMixed ? 60 : (kind == kPlateOneCurtain ? 8 : 30);
  std::vector<std::array<double, 6>> si(types.size());
  for (auto& f : si) {
    f = {rng.Range(-900, 200), rng.Range(-900, 200), rng.Range(-100, 100), rng.Range(-m, m),
         rng.Range(-m, m), rng.Range(-8, 8)};
    if (kind == kPlateTies) f[4] = (rng.Chance(50) ? 1 : -1) * rng.Range(50, 90);
  }
  if (kind == kPlateCrushed) {
    auto& f = si[rng.Ultimate(types)];
    f[0] = f[1] = rng.Chance(50) ? -rng.Range(6000, 9000) : rng.Range(3000, 5000);
  }
  // Equal combinations, so the first of equal candidates must keep governing.
  if (types.size() > 6 && rng.Chance(30)) si[6] = si[3];
  std::vector<std::array<float, 6>> host(types.size());
  for (size_t k = 0; k < si.size(); ++k)
    for (int i = 0; i < 6; ++i)
      host[k][i] = u(i < 3 ? kForcePerLength : kMomentPerLength, si[k][i]);
  return host;
}

// Stiffener kinds, cycled over the elements: the three bar arrangements, bars
// on a circle in a wide and in a tall web, a circular web, the three flange
// projections (the last with one flange of zero width), moments or axial
// force beyond the maximum steel, a stirrup cover too large, minimum ratio
// above maximum, shear beyond the limit along y and along z.
enum StiffenerKind {
  kStiffBars0, kStiffBars1, kStiffBars2, kStiffCircleInWide, kStiffCircleInTall, kStiffCircular,
  kStiffFlangedFlushPlus, kStiffFlangedCentred, kStiffFlangedFlushMinus, kStiffOverloaded,
  kStiffStirrupCover, kStiffMinAboveMax, kStiffShearY, kStiffShearZ, kStiffLightHighStrength,
  kStiffKinds
};

StiffenerInput MakeStiffener(Rng& rng, const HostUnits& u, int kind) {
  int type = 0, projection = 0, rft = rng.Pick(3);
  double w = rng.Range(300, 450), h = rng.Range(450, 700);
  double bl = 0, tl = 0, br = 0, tr = 0, fc = rng.Range(25, 40), density = 2400, fy = 400;
  double minRatio = 1, maxRatio = 4;
  double cz = rng.Range(40, 60), cy = rng.Range(40, 60), czst = rng.Range(30, 45),
         cyst = rng.Range(30, 45);
  switch (kind) {
    case kStiffBars0:
    case kStiffBars1:
    case kStiffBars2: rft = kind - kStiffBars0; break;
    case kStiffCircleInWide: rft = 3, w = rng.Range(600, 700), h = rng.Range(400, 500); break;
    case kStiffCircleInTall: rft = 3; break;
    case kStiffCircular: type = 1, rft = 3, w = h = rng.Range(450, 600); break;
    case kStiffFlangedFlushPlus:
    case kStiffFlangedCentred:
    case kStiffFlangedFlushMinus:
      projection = kind - kStiffFlangedFlushPlus;
      w = rng.Range(250, 350), h = rng.Range(350, 500);
      bl = rng.Range(300, 600), tl = rng.Range(100, 150);
      br = kind == kStiffFlangedFlushMinus ? 0 : rng.Range(300, 600);
      tr = rng.Range(100, 150);
      break;
    case kStiffStirrupCover: cyst = 0.55 * h; break;
    case kStiffMinAboveMax: minRatio = 5, maxRatio = 4; break;
    case kStiffLightHighStrength:
      density = rng.Range(1600, 2200), fc = rng.Range(85, 100), fy = rng.Range(450, 600);
      break;
    default: break;
  }
  return StiffenerInput{static_cast<uint8_t>(type), static_cast<uint8_t>(projection),
                        u(kLength, w), u(kLength, h), u(kLength, bl), u(kLength, tl),
                        u(kLength, br), u(kLength, tr), u(kStress, fc), u(kDensity, density),
                        u(kStress, fy), u(kStress, 200000), static_cast<float>(minRatio),
                        static_cast<float>(maxRatio), static_cast<uint8_t>(rft), u(kLength, cz),
                        u(kLength, cy), u(kLength, czst), u(kLength, cyst)};
}

// End forces per combination: P, Vy, Vz, T, My, Mz at end 1, then end 2.
std::vector<std::array<float, 12>> MakeStiffenerForces(Rng& rng, const HostUnits& u, int kind,
                                                       const std::vector<uint8_t>& types) {
  constexpr double kLimit[6] = {1500, 150, 100, 8, 60, 120};  // P from -1500 to 200
  std::vector<std::array<double, 12>> si(types.size());
  for (auto& f : si)
    for (int i = 0; i < 12; ++i) f[i] = rng.Range(-kLimit[i % 6], i % 6 == 0 ? 200 : kLimit[i % 6]);
  if (kind == kStiffOverloaded) {
    auto& f = si[rng.Ultimate(types)];
    switch (rng.Pick(3)) {
      case 0: f[5] = rng.Range(800, 1200), f[4] = rng.Range(400, 600); break;
      case 1: f[0] = -rng.Range(12000, 16000); break;
      default: f[0] = rng.Range(5000, 8000); break;
    }
  }
  if (kind == kStiffShearY) si[rng.Ultimate(types)][1] = rng.Range(2500, 3500);
  if (kind == kStiffShearZ) si[rng.Ultimate(types)][2] = -rng.Range(2500, 3500);
  // A zero moment about z (raised to a small value by the design) and, in a
  // third of the elements, two equal combinations.
  if (kind == kStiffBars1) si[rng.Ultimate(types)][5] = 0;
  if (types.size() > 6 && rng.Chance(30)) si[6] = si[3];
  std::vector<std::array<float, 12>> host(types.size());
  for (size_t k = 0; k < si.size(); ++k)
    for (int i = 0; i < 12; ++i) host[k][i] = u(i % 6 >= 3 ? kMoment : kForce, si[k][i]);
  return host;
}

GoldenModel MakeModel(std::string name, uint8_t units, uint32_t seed, int nodes, int plates,
                      int stiffeners, std::vector<uint8_t> comboTypes) {
  Rng rng(seed);
  const HostUnits u{units == 1};
  GoldenModel m{std::move(name), units, nodes, std::move(comboTypes), {}, {}, {}, {}, {}};
  for (int n = 0; n < nodes; ++n) {
    auto& d = m.displacements.emplace_back(m.comboTypes.size());
    for (auto& v : d)
      for (float& x : v) x = static_cast<float>(rng.Range(-25, 25));
  }
  for (int e = 0; e < plates; ++e) {
    m.plates.push_back(MakePlate(rng, u, e % kPlateKinds));
    m.plateForces.push_back(MakePlateForces(rng, u, e % kPlateKinds, m.comboTypes));
  }
  for (int e = 0; e < stiffeners; ++e) {
    m.stiffeners.push_back(MakeStiffener(rng, u, e % kStiffKinds));
    m.stiffenerForces.push_back(MakeStiffenerForces(rng, u, e % kStiffKinds, m.comboTypes));
  }
  return m;
}

// ---- Serialization -------------------------------------------------------

// A float as the hex of its bits and its decimal value; an integer as is.
std::string F(float v) {
  uint32_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  char buf[48];
  std::snprintf(buf, sizeof buf, " %08" PRIx32 "=%.9g", bits, static_cast<double>(v));
  return buf;
}
std::string I(long v) { return ' ' + std::to_string(v); }

uint64_t Fnv1a(const uint8_t* p, size_t n) {
  uint64_t h = 14695981039346656037ull;
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

// The fields of each group in the saved block, as "name width" pairs.
const char* const kBlockFields[3] = {
    "f_Dx_Negative 8 f_Dx_Positive 8 f_Dy_Negative 8 f_Dy_Positive 8 f_Dz_Negative 8 "
    "f_Dz_Positive 8 i_Dx_Neg_combo 2 i_Dx_Pos_combo 2 i_Dy_Neg_combo 2 i_Dy_Pos_combo 2 "
    "i_Dz_Neg_combo 2 i_Dz_Pos_combo 2",
    "bt_NumCurtains 2 f_AreaOfSteel_x 8 f_RatioOfSteel_x 4 i_DesignComboIndex_x 2 f_Mu_x 8 "
    "f_Pu_x 8 bt_DsignStatus_x 2 f_AreaOfSteel_y 8 f_RatioOfSteel_y 4 i_DesignComboIndex_y 2 "
    "f_Mu_y 8 f_Pu_y 8 bt_DsignStatus_y 2",
    "f_As 8 f_RatioOfSteel 4 i_DesignComboIndex_flex 2 f_Muy 8 f_Muz 8 f_Pu_flex 8 "
    "bt_DesignStatus_flex 2 f_AvOverS_y 8 i_DesignComboIndex_y 2 f_Pu_y 8 f_Vu_y 8 f_Tu_y 8 "
    "f_Spacing_y 8 f_AvOverS_z 8 i_DesignComboIndex_z 2 f_Pu_z 8 f_Vu_z 8 f_Tu_z 8 f_Spacing_z 8 "
    "f_AtOverS 8 f_Al 8 i_DesignComboIndex_tor 2 f_Pu_tor 8 f_Tu_tor 8 f_Spacing_tor 8 "
    "bt_DesignStatus_Shear 2"};

// The saved block: its hash, then one hash per field array, so that a
// difference in the 64-bit values (which the queries narrow) is located.
std::string DescribeBlock(const std::vector<uint8_t>& block, const std::array<int, 3>& counts,
                          std::vector<std::string>& problems) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "block length %zu hash %016" PRIx64 "\n", block.size(),
                Fnv1a(block.data(), block.size()));
  std::string out = buf;
  std::vector<std::tuple<int, std::string, size_t>> fields;  // group, name, bytes
  size_t expected = 7;
  for (int group = 0; group < 3; ++group) {
    std::istringstream in(kBlockFields[group]);
    std::string name;
    for (size_t width; in >> name >> width;) {
      fields.emplace_back(group, name, width * counts[group]);
      expected += width * counts[group];
    }
  }
  if (block.size() != expected) {
    problems.push_back("results block is " + std::to_string(block.size()) + " bytes, expected " +
                       std::to_string(expected));
    return out;
  }
  const char* const groups[] = {"node", "plate", "stiffener"};
  size_t pos = 7;
  for (const auto& [group, name, len] : fields) {
    if (group > 0 && counts[group] == 0) continue;
    std::snprintf(buf, sizeof buf, "block %s %s %016" PRIx64 "\n", groups[group], name.c_str(),
                  Fnv1a(block.data() + pos, len));
    out += buf;
    pos += len;
  }
  return out;
}

std::vector<uint8_t> SaveBlock(clsDesignCSA94* obj, const std::string& modelName,
                               std::vector<std::string>& problems) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("ostrel-golden-" + std::to_string(getpid()) + "-" + modelName + ".bin");
  std::filesystem::remove(path);
  int32_t offset = 0;
  if (clsDesignCSA94_SaveResults(obj, path.c_str(), &offset) != 0 || offset != 1) {
    problems.push_back(modelName + ": SaveResults failed");
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> block{std::istreambuf_iterator<char>(in), {}};
  std::filesystem::remove(path);
  return block;
}

// Every query output of every node and element, one line per query: the
// outputs in argument order, tags between them as the format says ('f' a
// float, 'i' and 'b' a 16-bit and an 8-bit integer, x y z a tag).
std::string QueryAll(clsDesignCSA94* obj, const GoldenModel& m, StatusTally& tally,
                     std::vector<std::string>& problems) {
  const char* const kLine[6][2] = {{"node ", "fifififififi"},   {"plate ", "bxffffibyffffib"},
                                   {"sflex ", "ffifffb"},       {"sshear ", "yfiffffzfiffffb"},
                                   {"stors ", "ffiffffbb"},     {"ssum ", "ffffffbb"}};
  const int counts[6] = {m.nodes, int(m.plates.size()), int(m.stiffeners.size())};
  std::string out;
  int refused = 0;
  for (int group : {0, 1, 2}) {
    for (int32_t n = 1; n <= counts[group]; ++n) {
      for (int k = group == 2 ? 2 : group; k <= (group == 2 ? 5 : group); ++k) {
        test::QueryOut o;
        std::fill(o.f, o.f + 12, 0.0f), std::fill(o.i, o.i + 6, 0), std::fill(o.b, o.b + 3, 0);
        refused += test::Query(obj, k, n, o);
        out += kLine[k][0] + std::to_string(n);
        const float* f = o.f;
        const int16_t* i = o.i;
        const uint8_t* b = o.b;
        for (const char* c = kLine[k][1]; *c != 0; ++c) {
          out += *c == 'f'   ? F(*f++)
                 : *c == 'i' ? I(*i++)
                 : *c == 'b' ? I(*b++)
                             : std::string(" ") + *c;
        }
        out += '\n';
        if (k == 1) tally[0].insert(o.b[1]), tally[1].insert(o.b[2]);
        if (k == 2 || k == 3) tally[k].insert(o.b[0]);
      }
    }
  }
  if (refused != 0)
    problems.push_back(m.name + ": " + std::to_string(refused) + " queries refused");
  return out;
}

std::string DesignOnThisThread(const GoldenModel& m, StatusTally& tally,
                               std::vector<std::string>& problems) {
  test::FakeAnalysis fake;
  LoadAnalysis(fake, m);
  fake.Register();
  test::MessageCapture capture;
  clsDesignCSA94* obj = clsDesignCSA94_Create();
  SendModel(obj, m, problems);
  const std::array<int, 3> counts{m.nodes, static_cast<int>(m.plates.size()),
                                  static_cast<int>(m.stiffeners.size())};
  std::string out = "model " + m.name + " units " + std::to_string(m.units) + " nodes " +
                    std::to_string(counts[0]) + " plates " + std::to_string(counts[1]) +
                    " stiffeners " + std::to_string(counts[2]) + " combos ";
  for (uint8_t t : m.comboTypes) out += t == 1 ? 'U' : 'S';
  out += '\n';
  uint8_t done = 0;
  if (clsDesignCSA94_RunDesign(obj) != 0 || clsDesignCSA94_DesignDone(obj, &done) != 0 ||
      done != 1 || capture.count() != 0) {
    problems.push_back(m.name + ": design run did not complete: " + capture.last());
  } else {
    out += QueryAll(obj, m, tally, problems);
    out += DescribeBlock(SaveBlock(obj, m.name, problems), counts, problems);
  }
  clsDesignCSA94_Release(obj);
  return out;
}

}  // namespace

void SendModel(clsDesignCSA94* obj, const GoldenModel& m, std::vector<std::string>& problems) {
  int refused = clsDesignCSA94_SetUnits(obj, m.units);
  refused += clsDesignCSA94_SetNumberOfNodes(obj, m.nodes);
  refused += clsDesignCSA94_SetNumberOfLoadCombinations(obj, int32_t(m.comboTypes.size()));
  for (size_t k = 0; k < m.comboTypes.size(); ++k)
    refused += clsDesignCSA94_SetComboType(obj, static_cast<int16_t>(k + 1), m.comboTypes[k]);
  refused += clsDesignCSA94_SetNumberOfPlateElements(obj, int32_t(m.plates.size()));
  int32_t e = 0;
  for (const PlateInput& p : m.plates)
    refused += clsDesignCSA94_SetPlateElementProperties(obj, ++e, p.thickness, p.fc, p.fy, p.es,
                                                        p.minX, p.maxX, p.minY, p.maxY,
                                                        p.curtains, p.coverX, p.coverY);
  refused += clsDesignCSA94_SetNumberOfStiffenerElements(obj, int32_t(m.stiffeners.size()));
  e = 0;
  for (const StiffenerInput& s : m.stiffeners)
    refused += clsDesignCSA94_SetStiffenerElementProperties(
        obj, ++e, s.sectionType, s.projection, s.width, s.height, s.leftFlangeWidth,
        s.leftFlangeThickness, s.rightFlangeWidth, s.rightFlangeThickness, s.fc, s.density, s.fy,
        s.es, s.minRatio, s.maxRatio, s.rftType, s.coverZ, s.coverY, s.coverZst, s.coverYst, 0);
  if (refused != 0) problems.push_back(m.name + ": " + std::to_string(refused) + " inputs refused");
}

void LoadAnalysis(test::FakeAnalysis& fake, const GoldenModel& m) {
  for (int k = 1; k <= static_cast<int>(m.comboTypes.size()); ++k) {
    for (size_t n = 0; n < m.displacements.size(); ++n) {
      const auto& d = m.displacements[n][k - 1];
      fake.SetDisplacement(static_cast<int>(n + 1), k, d[0], d[1], d[2]);
    }
    for (size_t e = 0; e < m.plateForces.size(); ++e)
      fake->plateForces[{static_cast<int>(e + 1), k}] = m.plateForces[e][k - 1];
    for (size_t e = 0; e < m.stiffenerForces.size(); ++e)
      fake->stiffenerForces[{static_cast<int>(e + 1), k}] = m.stiffenerForces[e][k - 1];
  }
}

std::vector<GoldenModel> BuildGoldenModels() {
  // A mixed wall in each unit system, then a plate-only and a stiffener-only
  // wall (whose results block has no part for the absent group).
  return {MakeModel("si-wall", 1, 20240611u, 20, 40, 45, {0, 0, 1, 1, 1, 1, 1, 1, 1, 1}),
          MakeModel("us-wall", 0, 977u, 16, 40, 45, {1, 0, 1, 1, 0, 1, 1, 1, 1, 1}),
          MakeModel("si-plates", 1, 4242u, 8, 30, 0, {1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1}),
          MakeModel("us-stiffeners", 0, 31337u, 6, 0, 30, {0, 1, 1, 1, 1, 1, 1, 1, 1})};
}

// The design model and the analysis-results instance it creates on first use
// belong to the calling thread: each model gets a thread, and a fresh model.
std::string DesignAndSerialize(const GoldenModel& m, StatusTally& tally,
                               std::vector<std::string>& problems) {
  std::string out;
  std::thread([&] { out = DesignOnThisThread(m, tally, problems); }).join();
  return out;
}

}  // namespace ostrel::golden
