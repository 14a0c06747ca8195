// In the sidereal zodiac a pada is entered where the tropical longitude less the ayanamsa
// reaches it.
#include "core/app/run.h"
#include "core/app/session.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/chart/planetary_data.h"
#include "core/search/sample_session.h"
#include "core/test_support.h"
#include "core/reference/text.h"
#include "core/search/aspectarian.h"
#include "core/search/crossing.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <functional>
#include <iomanip>

namespace kesmora {
namespace {


class TargetListsBruteForce : public ::testing::Test {
 protected:
  void SetUp() override {
    session_.settings.nakFilename = home_.Write("mine.nak", "Nak-25, pada 1/Moon\r\nNak-20, pada 3/Sun\r\n").string();
    session_.settings.aptFilename = home_.Write("mine.apt", "Lucky 015/Moon\r\nGood 250/Mercury\r\n").string();
    session_.settings.mpnFilename = home_.Write("mine.mpn", "Sun/Moon\r\nVenus/Mars\r\n").string();
  }

  RunResult Run(Zodiac zodiac) {
    session_.settings.optZodiac = {zodiac == Zodiac::Tropical, zodiac == Zodiac::Sidereal};
    EXPECT_TRUE(CalculatePlanetaryData(session_, ui_));
    RunOptions o;
    o.aspects[0] = o.aspects[6] = true;  // 000 and 060
    o.transitToNatal = true;
    o.auspiciousPoints = o.lunarMansions = o.transitMidpointsToNatalPlanets = true;
    o.natalPlanets[0] = o.natalPlanets[1] = true;  // natal Sun and Moon
    o.daysToCalculate = 10;
    o.computePeriods = false;
    o.chart = ChartOptionsOf(session_.settings);
    return RunAspectarian(RunInputOf(session_, o));
  }

  test::SampleSession sample_{"London,06 Dec 2026,0.00,A,0,0.07,51.30,,London"};
  test::ScratchDir& home_ = sample_.home;
  Session& session_ = sample_.session;
  RecordingInterface& ui_ = sample_.ui;
};

TEST_F(TargetListsBruteForce, SiderealPadaStartsAreReachedInSiderealLongitude) {
  RunResult tropical = Run(Zodiac::Tropical);
  RunResult sidereal = Run(Zodiac::Sidereal);
  int compared = 0;
  for (const RunResult* r : {&tropical, &sidereal}) {
    bool isSidereal = r == &sidereal;
    for (const Hit& h : r->hits.RunHits()) {
      if (h.pass != Pass::LunarMansion || h.aspect != 0) continue;
      double jd = h.exactJd;
      const ExtraPointRow* e = r->extra.Row(h.movingPoint, session_.tables.NumPlanetsUsed());
      ASSERT_NE(e, nullptr);
      // The tropical position from libswe less the Fagan/Bradley ayanamsa of the moment
      // (nutation included on both sides).
      double xx[6];
      char error[256];
      swe_calc_ut(jd, static_cast<int>(e->Number(4)), SEFLG_SWIEPH, xx, error);
      swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0, 0);
      double ayanamsa = 0;
      swe_get_ayanamsa_ex_ut(jd, SEFLG_SWIEPH, &ayanamsa, error);
      double longitude = isSidereal ? Normalise(xx[0] - ayanamsa) : xx[0];
      double apart = std::abs(FoldDeg(longitude - e->Number(3)));
      EXPECT_LT(apart, 1.0 / 3600) << (isSidereal ? "sidereal " : "tropical ") << e->Text(0) << " at JD " << jd;
      ++compared;
    }
  }
  EXPECT_GT(compared, 1);
  // About 25 degrees of ayanamsa move the Moon's entry into its pada by about two days.
  auto moonEntry = [](const RunResult& r) {
    for (const Hit& h : r.hits.RunHits())
      if (h.pass == Pass::LunarMansion && h.aspect == 0 && h.secondPoint == 2) return h.exactJd;
    return 0.0;
  };
  double delay = moonEntry(sidereal) - moonEntry(tropical);
  EXPECT_GT(delay, 1.5);
  EXPECT_LT(delay, 2.5);
}

}  // namespace
}  // namespace kesmora
