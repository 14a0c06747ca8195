#include "core/chart/chart_calculator.h"

#include "core/reference/text.h"

#include <swephexp.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kesmora {

namespace {

constexpr int kTropicalFlags = SEFLG_SWIEPH | SEFLG_SPEED;                      // 258
constexpr int kSiderealFlags = SEFLG_SWIEPH | SEFLG_SPEED | SEFLG_SIDEREAL;     // 65794
constexpr int kDeclinationFlags = SEFLG_SWIEPH | SEFLG_SPEED | SEFLG_EQUATORIAL;  // 2306
constexpr int kTurnedIndex = 13;  // the body at this index is shown as its opposite point

// libswe's state on this thread, as the EphemerisThread objects it holds have left it.
struct ThreadEphemeris {
  int holders = 0;
  std::string path;              // where libswe looks, while held
  bool siderealModeSet = false;  // libswe forgets it with its path and when it closes
};
thread_local ThreadEphemeris tEphemeris;

char HouseLetter(HouseSystem system) {
  switch (system) {
    case HouseSystem::Placidus: return 'p';
    case HouseSystem::Koch: return 'k';
    case HouseSystem::WholeSign:
    case HouseSystem::AscMinus30: return 'e';
    case HouseSystem::None: break;
  }
  return 0;
}

// The computed points by their codes in the planet table.
enum PointCode : signed char {
  kUnknownPoint, kAsc, kMc, kVertex, kEquatorialAsc, kCoAscWk, kCoAscMm, kPolarAsc, kPofDay, kPofNight, kAriesPoint,
  kPart1, kPart2, kPart3, kPart4, kPart5, kPart6, kPart7
};

PointCode PointCodeOf(const std::string& code) {
  static const std::pair<const char*, PointCode> codes[] = {
      {"ASC", kAsc},        {"MC", kMc},           {"VERTEX", kVertex},   {"EQU_ASC", kEquatorialAsc},
      {"CO_ASC_WK", kCoAscWk}, {"CO_ASC_MM", kCoAscMm}, {"POLAR_ASC", kPolarAsc}, {"POF_d", kPofDay},
      {"POF_n", kPofNight}, {"ARIES_PT", kAriesPoint}, {"AP_1", kPart1},     {"AP_2", kPart2},
      {"AP_3", kPart3},     {"AP_4", kPart4},      {"AP_5", kPart5},      {"AP_6", kPart6},
      {"AP_7", kPart7}};
  for (auto [text, value] : codes)
    if (code == text) return value;
  return kUnknownPoint;
}

bool NeedsPartInputs(int code) { return code >= kPofDay && code != kAriesPoint && code <= kPart5; }
bool NeedsPartInputs(const std::string& code) { return NeedsPartInputs(PointCodeOf(code)); }

}  // namespace

int ChartCalculator::Calc(double jdEt, int body, int flags, double* xx, char* error) const {
  if (observer_) observer_->Calculated(jdEt, body, flags);
  error[0] = 0;
  return swe_calc(jdEt, body, flags, xx, error);
}

int ChartCalculator::HousesEx(double jd, int flags, double latitude, double longitude, int letter, Houses& h) const {
  if (observer_) observer_->HousesCalculated(jd, letter, flags);
  return swe_houses_ex(jd, flags, latitude, longitude, letter, h.cusps.data(), h.ascmc.data());
}

void EphemerisSpan::Note(double jd, const char* text) {
  if (error.empty() && firstJd == 0 && lastJd == 0) {
    firstJd = lastJd = jd;
    error = text ? text : "";
    // libswe ends its texts with blanks and line breaks.
    while (!error.empty() && (error.back() == ' ' || error.back() == '\n')) error.pop_back();
    return;
  }
  firstJd = std::min(firstJd, jd);
  lastJd = std::max(lastJd, jd);
}

void EphemerisProblems::Merge(const EphemerisProblems& other) {
  auto merge = [](Span& into, const Span& from) {
    if (into.error.empty() && into.firstJd == 0 && into.lastJd == 0) {
      into = from;
      return;
    }
    into.firstJd = std::min(into.firstJd, from.firstJd);
    into.lastJd = std::max(into.lastJd, from.lastJd);
  };
  for (const auto& [body, span] : other.bodies) merge(bodies[body], span);
  for (const auto& [letter, span] : other.housesReplaced) merge(housesReplaced[letter], span);
  if (other.analytical) merge(analytical ? *analytical : analytical.emplace(), *other.analytical);
}

void ChartRecord::Size(int n) {
  size_t size = static_cast<size_t>(n) + 1;
  for (auto* v : {&planetLon, &planetSpeed, &natalLon, &natalSpeed, &natalDecl, &transitLon,
                  &transitSpeed})
    v->assign(size, 0.0);
  retrograde.assign(static_cast<size_t>(n), ' ');
  natalRetrograde = transitRetrograde = retrograde;
}

double Normalise(double x) { return x - 360.0 * std::floor(x / 360.0); }

double Midpoint(double a, double b) {
  double m = (a + b) / 2;
  // The distance test is made in single precision, as the lists were always compared.
  if (std::abs(static_cast<float>(m - a)) > 90.0f || std::abs(static_cast<float>(m - b)) > 90.0f)
    m += 180;
  if (m >= 360) m -= 360;
  return m;
}

std::string EphemerisPath(const std::filesystem::path& programDir) {
  return (programDir / "ephems").string() + ":/usr/share/libswe/ephe";
}

namespace {

void PointEphemerisAt(const std::string& path) {
  swe_set_ephe_path(path.c_str());
  tEphemeris.path = path;
  tEphemeris.siderealModeSet = false;
}

}  // namespace

EphemerisThread::EphemerisThread(const std::filesystem::path& programDir)
    : path_(EphemerisPath(programDir)), outerPath_(tEphemeris.path) {
  if (tEphemeris.holders++ == 0 || tEphemeris.path != path_) PointEphemerisAt(path_);
}

EphemerisThread::~EphemerisThread() {
  if (--tEphemeris.holders == 0) {
    swe_close();
    tEphemeris = {};
  } else if (!outerPath_.empty() && tEphemeris.path != outerPath_) {
    PointEphemerisAt(outerPath_);
  }
}

bool EphemerisThread::Held() { return tEphemeris.holders > 0; }

double JulianDayOf(const ChartInputs& in) {
  double ut = static_cast<double>(in.hour) + static_cast<double>(in.minute) / 60.0;
  double jd = swe_julday(in.year, in.month, in.day, ut, SE_GREG_CAL);
  // Recomputed through the checking conversion, whose verdict is not needed here.
  swe_date_conversion(in.year, in.month, in.day, ut, 'g', &jd);
  return jd;
}

ChartCalculator::ChartCalculator(const ReferenceTables& tables, ChartRecord& record,
                                 ChartOptions options)
    : tables_(tables), record_(record), options_(options) {
  if (static_cast<int>(record_.planetLon.size()) != tables_.NumPlanetsUsed() + 1)
    record_.Size(tables_.NumPlanetsUsed());
  pointCode_.assign(static_cast<size_t>(tables_.NumPlanetsUsed()) + 1, kUnknownPoint);
  for (int i = 1; i <= tables_.NumPlanetsUsed(); ++i) pointCode_[static_cast<size_t>(i)] = PointCodeOf(tables_.Planet(i).code);
}

int ChartCalculator::Flags() const {
  return options_.zodiac == Zodiac::Sidereal ? kSiderealFlags : kTropicalFlags;
}

void ChartCalculator::ApplyZodiac() const {
  if (options_.zodiac == Zodiac::Sidereal && !tEphemeris.siderealModeSet) {
    swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0.0, 0.0);
    tEphemeris.siderealModeSet = true;
  }
}

ChartCalculator::Houses ChartCalculator::ComputeHouses(double jd, double latitude,
                                                       double longitude) {
  Houses h;
  char letter = HouseLetter(options_.houses);
  // libswe answers a system it cannot compute (Placidus or Koch near the poles) with
  // Porphyry houses and an error code; the houses are still usable, the user is told.
  if (letter != 0 &&
      HousesEx(jd, Flags(), latitude, longitude, letter, h) < 0)
    problems_.housesReplaced[letter].Note(jd, "");
  record_.ascendantLon = h.ascmc[0];
  return h;
}

double ChartCalculator::CuspLongitude(const Houses& h, int index) const {
  long n = std::lround(LeadingNumber(tables_.Planet(index).code));
  if (n < 0 || n > 13) return 0;
  double cusp = h.cusps[static_cast<size_t>(n)];
  if (options_.houses == HouseSystem::WholeSign) cusp = 30.0 * std::floor(cusp / 30.0);
  return cusp;
}

std::pair<double, double> ChartCalculator::BodyAt(double jdEt, int sweNumber, int index, int extraFlags) const {
  double xx[6] = {0, 0, 0, 0, 0, 0};
  char error[256];
  int flags = Flags() | extraFlags;
  int rc = Calc(jdEt, sweNumber, flags, xx, error);
  if (rc < 0) {
    problems_.bodies[sweNumber].Note(jdEt - swe_deltat(jdEt), error);
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    return {kNaN, kNaN};
  }
  // Without the files for this moment libswe computes the planets analytically.
  if ((rc & SEFLG_MOSEPH) && !(flags & SEFLG_MOSEPH)) {
    if (!problems_.analytical) problems_.analytical.emplace();
    problems_.analytical->Note(jdEt - swe_deltat(jdEt), error);
  }
  double lon = index == kTurnedIndex ? Normalise(xx[0] + 180) : xx[0];
  return {lon, xx[3]};
}

double ChartCalculator::Lon(int index) const {
  if (index < 1 || index >= static_cast<int>(record_.planetLon.size())) return 0;
  return record_.planetLon[static_cast<size_t>(index)];
}

ChartCalculator::PartInputs ChartCalculator::PartInputsAt(double jdEt, double asc) const {
  std::array<double, 7> lon{};
  for (size_t k = 0; k < kPartBodies.size(); ++k)
    if (kPartBodies[k] <= tables_.NumPlanetsUsed())
      lon[k] = BodyAt(jdEt, tables_.Planet(kPartBodies[k]).sweNumber, 0).first;
  return PartInputsOf(lon, asc);
}

bool ChartCalculator::PointLongitude(const std::string& code, const Houses& h,
                                     const PartInputs& p, double& lon) const {
  return PointLongitude(PointCodeOf(code), h, p, lon);
}

bool ChartCalculator::PointLongitude(int code, const Houses& h, const PartInputs& p, double& lon) const {
  const auto& a = h.ascmc;
  double asc = a[0];
  switch (code) {
    case kAsc: lon = a[0]; break;
    case kMc: lon = a[1]; break;
    case kVertex: lon = a[3]; break;
    case kEquatorialAsc: lon = a[4]; break;
    case kCoAscWk: lon = a[5]; break;
    case kCoAscMm: lon = a[6]; break;
    case kPolarAsc: lon = a[7]; break;
    case kPofDay: lon = p.pofDay; break;
    case kPofNight: lon = p.pofNight; break;
    case kAriesPoint: lon = 0; break;
    case kPart1: lon = Normalise(h.cusps[5] + asc - p.l11); break;
    case kPart2: lon = Normalise(p.l12 + asc - p.l52); break;
    case kPart3: lon = Normalise(p.l6 + asc - p.l8); break;
    case kPart4: lon = Normalise(p.l11 + asc - p.pofDay); break;
    case kPart5: lon = Normalise(p.l11 + asc - p.pofNight); break;
    case kPart6:
    case kPart7: lon = 0; break;
    default: return false;
  }
  return true;
}

void ChartCalculator::CalcChart(bool isTransit) {
  const int n = tables_.NumPlanetsUsed();
  double jd = JulianDayOf(record_.inputs);
  double jdEt = jd + swe_deltat(jd);
  (isTransit ? record_.transitJulianDay : record_.natalJulianDay) = jd;
  ApplyZodiac();

  for (int i = 1; i <= n; ++i) {
    const PlanetEntry& e = tables_.Planet(i);
    if (!IsBody(e.cls)) continue;
    auto [lon, speed] = BodyAt(jdEt, e.sweNumber, i);
    record_.planetLon[static_cast<size_t>(i)] = lon;
    record_.planetSpeed[static_cast<size_t>(i)] = speed;
  }

  Houses h = ComputeHouses(jd, record_.inputs.latitude, record_.inputs.longitude);
  for (int i = 1; i <= n; ++i) {
    if (tables_.Planet(i).cls != PointClass::Cusp) continue;
    record_.planetLon[static_cast<size_t>(i)] = CuspLongitude(h, i);
    record_.planetSpeed[static_cast<size_t>(i)] = 0;
  }

  // Points read the working chart as it stands, lower point indexes already updated.
  for (int i = 1; i <= n; ++i) {
    const PlanetEntry& e = tables_.Planet(i);
    if (!IsComputedPoint(e.cls)) continue;
    double asc = h.ascmc[0];
    PartInputs p;
    p.l1 = Lon(1), p.l2 = Lon(2), p.l6 = Lon(6), p.l8 = Lon(8);
    p.l11 = Lon(11), p.l12 = Lon(12), p.l52 = Lon(52);
    p.pofDay = Normalise(p.l2 + asc - p.l1);
    p.pofNight = Normalise(asc - p.l2 + p.l1);
    // In the whole chart the parts 4 and 5 take the Parts of Fortune at indexes 22 and 23.
    if (e.code == "AP_4" || e.code == "AP_5") p.pofDay = Lon(22), p.pofNight = Lon(23);
    double lon = 0;
    if (!PointLongitude(e.code, h, p, lon)) continue;
    record_.planetLon[static_cast<size_t>(i)] = lon;
    record_.planetSpeed[static_cast<size_t>(i)] = 0;
  }

  record_.retrograde.assign(static_cast<size_t>(n), ' ');
  for (int i = 1; i <= n; ++i)
    if (record_.planetSpeed[static_cast<size_t>(i)] < 0) record_.retrograde[static_cast<size_t>(i - 1)] = 'R';
}

double ChartCalculator::CalcPointAt(double jd, int index) {
  if (index > tables_.NumPlanetsUsed()) return ExtraPointAt(jd, index);
  const PlanetEntry& e = tables_.Planet(index);
  double jdEt = jd + swe_deltat(jd);
  ApplyZodiac();
  auto& lon = record_.planetLon[static_cast<size_t>(index)];
  auto& speed = record_.planetSpeed[static_cast<size_t>(index)];

  if (IsBody(e.cls)) std::tie(lon, speed) = BodyAt(jdEt, e.sweNumber, index);

  Houses h = ComputeHouses(jd, record_.inputs.latitude, record_.inputs.longitude);
  if (e.cls == PointClass::Cusp) {
    lon = CuspLongitude(h, index);
    speed = HousePointSpeed;
  } else if (IsComputedPoint(e.cls)) {
    PartInputs p = PartInputsAt(jdEt, h.ascmc[0]);
    double value = 0;
    if (PointLongitude(e.code, h, p, value)) {
      lon = value;
      speed = e.code == "ARIES_PT" ? 0.0 : HousePointSpeed;
    }
  }
  record_.lastPointSpeed = speed;
  return lon;
}

const ExtraPoint* ChartCalculator::Extra(int index) const {
  int row = index - tables_.NumPlanetsUsed();
  if (!extra_.points || row < 1 || row > static_cast<int>(extra_.points->size())) return nullptr;
  return &(*extra_.points)[static_cast<size_t>(row - 1)];
}

double ChartCalculator::ExtraPointAt(double jd, int index, bool lean) {
  double value = 0;
  if (const ExtraPoint* point = Extra(index)) {
    // The point's own kind decides, not the pass that happens to run: a period looked for
    // after the last pass still sees a midpoint as a midpoint.
    if (std::optional<double> fixed = point->FixedLonDeg()) {
      value = *fixed;
      record_.lastPointSpeed = 0;
    } else {
      value = MidpointOf(jd, index, 1, lean).lon;
    }
  }
  record_.lastPointValue = value;
  return value;
}

double ChartCalculator::CalcPointAtPlace(double jd, int index, int place) {
  return MidpointOf(jd, index, place, false).lon;
}

PointState ChartCalculator::MidpointAt(double jd, int index, int place) { return MidpointOf(jd, index, place, true); }

PointState ChartCalculator::MidpointOf(double jd, int index, int place, bool lean) {
  const ExtraPoint* point = Extra(index);
  const MidpointPair* pair = point ? point->Midpoint() : nullptr;
  if (!pair) return {};

  double jdEt = jd + swe_deltat(jd);
  const Place& at = place == 1 ? record_.transitPlace : record_.natalPlace;
  ApplyZodiac();
  // A component that is no planet (the lists name planets only) stands at 0.
  const PlanetEntry none;
  const int components[2] = {pair->first, pair->second};
  const PlanetEntry* comp[2];
  bool needHouses = !lean, needParts = !lean;
  for (int c = 0; c < 2; ++c) {
    bool known = components[c] >= 1 && components[c] <= tables_.NumPlanetsUsed();
    comp[c] = known ? &tables_.Planet(components[c]) : &none;
    bool housePoint = IsHouseDependent(comp[c]->cls);
    needHouses = needHouses || housePoint;
    needParts = needParts || (housePoint && NeedsPartInputs(comp[c]->code));
  }
  // The lean form skips what no component reads; the values are the same.
  Houses h;
  if (needHouses) h = ComputeHouses(jd, at.latitude, at.longitude);
  PartInputs parts;
  if (needParts) parts = PartInputsAt(jdEt, h.ascmc[0]);

  double lon[2] = {0, 0}, speed[2] = {0, 0};
  for (int c = 0; c < 2; ++c) {
    const PlanetEntry& k = *comp[c];
    if (IsBody(k.cls)) {
      std::tie(lon[c], speed[c]) = BodyAt(jdEt, k.sweNumber, components[c]);
    } else if (k.cls == PointClass::Cusp) {
      lon[c] = CuspLongitude(h, components[c]);
      speed[c] = HousePointSpeed;
    } else if (IsComputedPoint(k.cls)) {
      if (PointLongitude(k.code, h, parts, lon[c])) speed[c] = k.code == "ARIES_PT" ? 0 : HousePointSpeed;
    }
  }
  PointState result{Midpoint(lon[0], lon[1]), (speed[0] + speed[1]) / 2};
  record_.lastPointValue = result.lon;
  record_.lastPointSpeed = result.speed;
  return result;
}

const ChartCalculator::Houses& ChartCalculator::HousesAt(double jd) {
  if (jd != housesJd_) {
    houses_ = ComputeHouses(jd, record_.inputs.latitude, record_.inputs.longitude);
    housesJd_ = jd;
  }
  return houses_;
}

const ChartCalculator::PartInputs& ChartCalculator::PartInputsCached(double jd, double jdEt, double asc) {
  if (jd != partsJd_) {
    parts_ = PartInputsAt(jdEt, asc);
    partsJd_ = jd;
  }
  return parts_;
}

ChartCalculator::PartInputs ChartCalculator::PartInputsOf(const std::array<double, 7>& lon, double asc) {
  PartInputs p;
  p.l1 = lon[0], p.l2 = lon[1], p.l6 = lon[2], p.l8 = lon[3], p.l11 = lon[4], p.l12 = lon[5], p.l52 = lon[6];
  p.pofDay = Normalise(p.l2 + asc - p.l1);
  p.pofNight = Normalise(asc - p.l2 + p.l1);
  return p;
}

bool ChartCalculator::NeedsParts(int index) const {
  return index >= 1 && static_cast<size_t>(index) < pointCode_.size() && NeedsPartInputs(pointCode_[static_cast<size_t>(index)]);
}

std::optional<PointState> ChartCalculator::HousePoint(int index, const Houses& h, const PartInputs& p) const {
  const PlanetEntry& e = tables_.Planet(index);
  if (e.cls == PointClass::Cusp) return PointState{CuspLongitude(h, index), HousePointSpeed};
  double lon = 0;
  int code = pointCode_[static_cast<size_t>(index)];
  if ((IsComputedPoint(e.cls)) && PointLongitude(code, h, p, lon))
    return PointState{lon, code == kAriesPoint ? 0.0 : HousePointSpeed};
  return std::nullopt;
}

PointState ChartCalculator::PointAt(double jd, int index) {
  if (index > tables_.NumPlanetsUsed()) {
    double lon = ExtraPointAt(jd, index, true);
    return {lon, record_.lastPointSpeed};
  }
  const PlanetEntry& e = tables_.Planet(index);
  ApplyZodiac();
  PointState state;
  if (IsBody(e.cls)) {
    std::tie(state.lon, state.speed) = BodyAt(jd + swe_deltat(jd), e.sweNumber, index);
    return state;
  }
  if (e.cls == PointClass::Cusp) {
    state.lon = CuspLongitude(HousesAt(jd), index);
    state.speed = HousePointSpeed;
  } else if (IsComputedPoint(e.cls)) {
    const Houses& h = HousesAt(jd);
    PartInputs none;
    const PartInputs& p = NeedsPartInputs(e.code) ? PartInputsCached(jd, jd + swe_deltat(jd), h.ascmc[0]) : none;
    double lon = 0;
    if (PointLongitude(e.code, h, p, lon)) {
      state.lon = lon;
      state.speed = e.code == "ARIES_PT" ? 0.0 : HousePointSpeed;
    } else {
      // An unknown code keeps what the working chart holds, as CalcPointAt does.
      state.lon = record_.planetLon[static_cast<size_t>(index)];
      state.speed = record_.planetSpeed[static_cast<size_t>(index)];
    }
  } else {
    state.lon = record_.planetLon[static_cast<size_t>(index)];
    state.speed = record_.planetSpeed[static_cast<size_t>(index)];
  }
  return state;
}

double ChartCalculator::NutationInLongitudeDeg(double jd) const {
  double xx[6] = {0, 0, 0, 0, 0, 0};
  char error[256];
  if (Calc(jd + swe_deltat(jd), SE_ECL_NUT, 0, xx, error) < 0) return std::numeric_limits<double>::quiet_NaN();
  return xx[2];
}

std::optional<PointState> ChartCalculator::MeanEquinoxBodyAt(double jd, int index) {
  if (options_.zodiac == Zodiac::Sidereal || index < 1 || index > tables_.NumPlanetsUsed()) return std::nullopt;
  const PlanetEntry& e = tables_.Planet(index);
  if (!IsBody(e.cls)) return std::nullopt;
  auto [lon, speed] = BodyAt(jd + swe_deltat(jd), e.sweNumber, index, SEFLG_NONUT);
  return PointState{lon, speed};
}

PointState ChartCalculator::DeclinationAt(double jd, int index) {
  const PlanetEntry& e = tables_.Planet(index);
  // Declination does not depend on the zodiac: transit and natal sides are computed alike.
  int flags = kDeclinationFlags;
  double xx[6] = {0, 0, 0, 0, 0, 0};
  char error[256];
  if (Calc(jd + swe_deltat(jd), e.sweNumber, flags, xx, error) < 0) {
    problems_.bodies[e.sweNumber].Note(jd, error);
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    return {kNaN, kNaN};
  }
  // The point opposite the node has the opposite declination, moving the opposite way.
  if (index == kTurnedIndex) return {-xx[1], -xx[4]};
  return {xx[1], xx[4]};
}

void ChartCalculator::CalcNatalDeclinations() {
  const int n = tables_.NumPlanetsUsed();
  double jd = JulianDayOf(record_.inputs);
  double jdEt = jd + swe_deltat(jd);
  record_.natalDecl.assign(static_cast<size_t>(n) + 1, 0.0);
  for (int i = 1; i <= n; ++i) {
    const PlanetEntry& e = tables_.Planet(i);
    if (!IsBody(e.cls)) continue;
    double xx[6] = {0, 0, 0, 0, 0, 0};
    char error[256];
    double decl = std::numeric_limits<double>::quiet_NaN();
    if (Calc(jdEt, e.sweNumber, kDeclinationFlags, xx, error) >= 0)
      decl = i == kTurnedIndex ? -xx[1] : xx[1];
    else
      problems_.bodies[e.sweNumber].Note(jd, error);
    record_.natalDecl[static_cast<size_t>(i)] = decl;
  }
}

}  // namespace kesmora
