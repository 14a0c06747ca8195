#include "core/chart/house_clock.h"

#include <swephexp.h>

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

constexpr double kSiderealRateDegPerDay = 360.98564736629;
constexpr double kDegToRad = M_PI / 180;
// Closed formulas for the ascendant hold away from the poles, where libswe turns it.
constexpr double kClosedAscendantLatitudeDeg = 66;

char HouseLetter(HouseSystem system) {
  switch (system) {
    case HouseSystem::Placidus: return 'P';
    case HouseSystem::Koch: return 'K';
    case HouseSystem::WholeSign:
    case HouseSystem::AscMinus30: return 'E';
    case HouseSystem::None: break;
  }
  return 0;
}

double Fold360(double deg) { return deg - 360.0 * std::floor(deg / 360.0); }
double Fold180(double deg) {
  double w = Fold360(deg);
  return w > 180 ? w - 360 : w;
}

}  // namespace

HouseClock::HouseClock(Place place, ChartOptions options, double fromJd, double toJd)
    : place_(place), options_(options), fromJd_(fromJd), toJd_(toJd) {
  if (options_.zodiac == Zodiac::Sidereal) swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0, 0);
  int days = static_cast<int>(std::ceil(toJd - fromJd)) + 1;
  for (int n = 0; n <= days; ++n) {
    double jd = fromJd + n;
    armcDeg_.push_back(Fold360(swe_sidtime(jd) * 15 + place.longitude));
    double xx[6] = {0, 0, 0, 0, 0, 0};
    char error[256];
    swe_calc(jd + swe_deltat(jd), SE_ECL_NUT, 0, xx, error);
    epsDeg_.push_back(xx[0]);
    double ayanamsa = 0;
    if (options_.zodiac == Zodiac::Sidereal) swe_get_ayanamsa_ex_ut(jd, SEFLG_SWIEPH, &ayanamsa, error);
    ayanamsaDeg_.push_back(ayanamsa);
  }
  toJd_ = fromJd + days;
}

ChartCalculator::Houses HouseClock::At(double jd, bool anglesOnly, bool* replaced) const {
  ChartCalculator::Houses h;
  char letter = HouseLetter(options_.houses);
  if (letter == 0) return h;
  double offset = std::clamp(jd - fromJd_, 0.0, static_cast<double>(armcDeg_.size() - 1));
  size_t n = std::min(static_cast<size_t>(offset), armcDeg_.size() - 2);
  double s = offset - static_cast<double>(n);
  // The sidereal time runs at its mean rate; what is left over changes slowly.
  double rest = Fold180(armcDeg_[n + 1] - armcDeg_[n] - kSiderealRateDegPerDay);
  double armc = Fold360(armcDeg_[n] + (kSiderealRateDegPerDay + rest) * s);
  double eps = epsDeg_[n] + (epsDeg_[n + 1] - epsDeg_[n]) * s;
  double ayanamsa = ayanamsaDeg_[n] + (ayanamsaDeg_[n + 1] - ayanamsaDeg_[n]) * s;

  if (anglesOnly && std::abs(place_.latitude) < kClosedAscendantLatitudeDeg) {
    double th = armc * kDegToRad, e = eps * kDegToRad, phi = place_.latitude * kDegToRad;
    h.ascmc[0] = std::atan2(std::cos(th), -(std::sin(th) * std::cos(e) + std::tan(phi) * std::sin(e))) / kDegToRad;
    h.ascmc[1] = std::atan2(std::sin(th), std::cos(th) * std::cos(e)) / kDegToRad;
    for (int k : {0, 1}) h.ascmc[static_cast<size_t>(k)] = Fold360(h.ascmc[static_cast<size_t>(k)] - ayanamsa);
    return h;
  }
  int rc = swe_houses_armc(armc, place_.latitude, eps, letter, h.cusps.data(), h.ascmc.data());
  if (rc < 0 && replaced) *replaced = true;
  if (options_.zodiac == Zodiac::Sidereal) {
    for (size_t k = 1; k <= 12; ++k) h.cusps[k] = Fold360(h.cusps[k] - ayanamsa);
    for (size_t k = 0; k < 8; ++k)
      if (k != 2) h.ascmc[k] = Fold360(h.ascmc[k] - ayanamsa);  // ascmc[2] is the sidereal time itself
  }
  return h;
}

}  // namespace kesmora
