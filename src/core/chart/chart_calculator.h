#pragma once
// Positions, speeds, houses, special points and declinations through the Swiss Ephemeris.
#include "core/chart/extra_point.h"
#include "core/reference/reference_tables.h"

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kesmora {

enum class Zodiac { Tropical = 0, Sidereal = 1 };
enum class HouseSystem { None = -1, Placidus = 0, Koch = 1, WholeSign = 2, AscMinus30 = 3 };

struct ChartOptions {
  Zodiac zodiac = Zodiac::Tropical;
  HouseSystem houses = HouseSystem::Placidus;
};

// Date, universal time and place of one chart computation.
struct ChartInputs {
  int day = 1, month = 1, year = 2000;
  float hour = 0;    // clock hour in 24-hour form plus the time zone
  float minute = 0;
  double longitude = 0;  // degrees, East positive
  double latitude = 0;   // degrees, North positive
};

struct Place {
  double longitude = 0;  // East positive
  double latitude = 0;   // North positive
};

// The shared chart record: the working chart and the saved natal and transit charts.
struct ChartRecord {
  std::vector<double> planetLon, planetSpeed;     // working chart, 1..NumPlanetsUsed
  std::vector<double> natalLon, natalSpeed, natalDecl;
  std::vector<double> transitLon, transitSpeed;
  std::string retrograde, natalRetrograde, transitRetrograde;  // "R" or blank per index, from 1
  double natalJulianDay = 0, transitJulianDay = 0;
  Place natalPlace, transitPlace;
  double ascendantLon = 0;
  double lastPointValue = 0, lastPointSpeed = 0;
  ChartInputs inputs;

  // Sizes the seven chart arrays to 1..n, all zero.
  void Size(int numPlanetsUsed);
};

// The extra points of a run, which CalcPointAt reads for indexes above the planets: degree
// pairs, auspicious points and padas stand at their degree, midpoints move with two planets.
struct ExtraPointContext {
  const std::vector<ExtraPoint>* points = nullptr;  // point NumPlanetsUsed + r at points[r - 1]
};

inline constexpr double HousePointSpeed = 356.0;  // degrees per day, marks fast house points

struct PointState {
  double lon = 0;    // degrees (a declination where the caller asked for one)
  double speed = 0;  // degrees per day
};

// Hears every call a calculator makes of swe_calc and swe_houses_ex, as it makes it (the
// benchmarks count them). The calculators of a run's threads share one: it is called from
// each of them at once.
class EphemerisObserver {
 public:
  virtual ~EphemerisObserver() = default;
  virtual void Calculated(double jdEt, int body, int flags) = 0;
  virtual void HousesCalculated(double jd, int letter, int flags) = 0;
};

// What the ephemeris could not do while a calculator worked: bodies it could not compute at
// all (their positions are NaN, so they meet nothing and show as "n/a"), moments for which
// the files were missing and libswe's analytical ephemeris stood in for the planets, and
// house systems it replaced (Placidus and Koch fail near the poles).
// A stretch of time in which one kind of problem came up. (Outside EphemerisProblems, so that
// clang sees it complete where std::optional asks whether it can be made.)
struct EphemerisSpan {
  double firstJd = 0, lastJd = 0;  // UT
  std::string error;               // libswe's text of the first failure
  void Note(double jd, const char* text);
};
struct EphemerisProblems {
  using Span = EphemerisSpan;
  std::map<int, Span> bodies;          // by ephemeris body number
  std::optional<Span> analytical;
  std::map<char, Span> housesReplaced;  // by house-system letter

  bool Empty() const { return bodies.empty() && !analytical && housesReplaced.empty(); }
  void Merge(const EphemerisProblems& other);
};

double Normalise(double x);
double Midpoint(double a, double b);

// The ephemeris of the thread that holds this: libswe pointed at the program's ephemeris
// folder, then Debian's, from construction on, and closed (its files and settings) when the
// last one the thread holds goes. libswe keeps its state per thread, so whatever owns a thread
// that computes holds one on it for as long as it computes: the worker pool on each of its
// threads and on the caller's for the caller's share of a task, a run on the thread it runs
// on, a session on the thread that started it. They nest: one made where the thread holds
// one for the same folder changes nothing; one for another folder points libswe there while
// it lives and back after. Made and destroyed on the same thread.
class EphemerisThread {
 public:
  explicit EphemerisThread(const std::filesystem::path& programDir);
  ~EphemerisThread();
  EphemerisThread(const EphemerisThread&) = delete;
  EphemerisThread& operator=(const EphemerisThread&) = delete;
  // Whether the calling thread holds one.
  static bool Held();

 private:
  std::string path_, outerPath_;  // this one's, and what the thread held before (empty: none)
};
std::string EphemerisPath(const std::filesystem::path& programDir);

// Universal-time Julian day of the chart inputs.
double JulianDayOf(const ChartInputs& inputs);

class ChartCalculator {
 public:
  ChartCalculator(const ReferenceTables& tables, ChartRecord& record, ChartOptions options);

  void SetOptions(ChartOptions options) {
    options_ = options;
    housesJd_ = partsJd_ = -1e300;
  }
  ChartOptions Options() const { return options_; }
  const EphemerisProblems& Problems() const { return problems_; }
  void ForgetProblems() { problems_ = {}; }
  double LastPointSpeed() const { return record_.lastPointSpeed; }
  const ChartRecord& Record() const { return record_; }
  void SetExtraPoints(ExtraPointContext context) { extra_ = context; }
  // Every ephemeris call is told to the observer from here on (nullptr: to none).
  void SetObserver(EphemerisObserver* observer) { observer_ = observer; }

  void CalcChart(bool isTransit);
  double CalcPointAt(double jd, int index);
  double CalcPointAtPlace(double jd, int index, int place);
  void CalcNatalDeclinations();

  // The same longitude and speed as CalcPointAt, with only the ephemeris calls the point
  // needs: no houses for a body, no body positions for an angle, houses and parts reused
  // while the moment is the same. The working chart is not touched.
  PointState PointAt(double jd, int index);
  // The midpoint of an extra point as CalcPointAtPlace gives it, with only the ephemeris
  // calls its components need.
  PointState MidpointAt(double jd, int index, int place);
  // Declination of a body and its speed in declination (degrees per day).
  PointState DeclinationAt(double jd, int index);

  // The nutation in longitude at a UT moment, degrees; NaN when libswe cannot give it.
  double NutationInLongitudeDeg(double jd) const;
  // A body's tropical longitude and speed on the mean equinox of date: PointAt less the
  // nutation in longitude (and less its rate in the speed). Positions sampled at many moments
  // share one nutation per moment this way, which is half the cost of each call. Nothing
  // for a point that is not a body or a sidereal zodiac.
  std::optional<PointState> MeanEquinoxBodyAt(double jd, int index);

  // Cusps 1..12 and the angles as libswe returns them.
  struct Houses {
    std::array<double, 14> cusps{};
    std::array<double, 11> ascmc{};
  };
  // The body longitudes the Arabic parts are made of, and the two Parts of Fortune.
  struct PartInputs {
    double l1 = 0, l2 = 0, l6 = 0, l8 = 0, l11 = 0, l12 = 0, l52 = 0;
    double pofDay = 0, pofNight = 0;
  };
  // The planet indexes whose longitudes the parts read (1, 2, 6, 8, 11, 12 and 52).
  static constexpr std::array<int, 7> kPartBodies{1, 2, 6, 8, 11, 12, 52};
  static PartInputs PartInputsOf(const std::array<double, 7>& bodyLonDeg, double ascDeg);
  // A house-dependent entry (a cusp or a computed point) from given houses and parts, with
  // the marker speed the searches read; nothing for a code that is not known.
  std::optional<PointState> HousePoint(int index, const Houses& houses, const PartInputs& parts) const;
  // Whether the entry's point needs the parts' body longitudes.
  bool NeedsParts(int index) const;

 private:

  int Flags() const;
  void ApplyZodiac() const;
  // swe_calc and swe_houses_ex, told to the observer. `error` (256 characters) receives
  // libswe's text.
  int Calc(double jdEt, int body, int flags, double* xx, char* error) const;
  int HousesEx(double jd, int flags, double latitude, double longitude, int letter, Houses& h) const;
  Houses ComputeHouses(double jd, double latitude, double longitude);
  double CuspLongitude(const Houses& h, int index) const;
  // Longitude and speed of an ephemeris body at jd_et, turned 180 degrees for index 13; both
  // NaN when libswe cannot compute the body.
  std::pair<double, double> BodyAt(double jdEt, int sweNumber, int index, int extraFlags = 0) const;
  PartInputs PartInputsAt(double jdEt, double asc) const;
  // Longitude of a computed point by its code; false when the code is not known.
  bool PointLongitude(const std::string& code, const Houses& h, const PartInputs& parts,
                      double& longitude) const;
  bool PointLongitude(int code, const Houses& h, const PartInputs& parts, double& longitude) const;
  double Lon(int index) const;
  const ExtraPoint* Extra(int index) const;
  double ExtraPointAt(double jd, int index, bool lean = false);
  PointState MidpointOf(double jd, int index, int place, bool lean);
  const Houses& HousesAt(double jd);
  const PartInputs& PartInputsCached(double jd, double jdEt, double asc);

  // The last houses and part inputs PointAt computed, kept while the moment repeats.
  double housesJd_ = -1e300, partsJd_ = -1e300;
  Houses houses_;
  PartInputs parts_;

  std::vector<signed char> pointCode_;  // by planet index, the computed point its code names

  const ReferenceTables& tables_;
  ChartRecord& record_;
  ChartOptions options_;
  ExtraPointContext extra_;
  EphemerisObserver* observer_ = nullptr;
  // Noted by every ephemeris call, the const ones included.
  mutable EphemerisProblems problems_;
};

}  // namespace kesmora
