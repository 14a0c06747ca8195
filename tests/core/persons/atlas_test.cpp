// What the atlas copies into a block, the clock time it is asked about, and its search.
#include "core/persons/atlas.h"
#include "core/persons/atlas_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <filesystem>

namespace kesmora {
namespace {

namespace fs = std::filesystem;

TEST(AtlasTexts, WholeMinutesWithTheDirectionLetter) {
  EXPECT_EQ(AtlasLongitudeText(95.3833), "95W23");
  EXPECT_EQ(AtlasLongitudeText(-0.5), "0E30");
  EXPECT_EQ(AtlasLatitudeText(29.9999), "30N0");  // 60 minutes make the next degree
  EXPECT_EQ(AtlasLatitudeText(-33.8679), "33S52");
}

TEST(AtlasCopy, FillsThePlaceAndLeavesNameDateAndTime) {
  struct Case {
    const char *lon, *lat;
    bool copied;
    const char *longDeg = "", *longMin = "";
    bool east = false;
    const char *latDeg = "", *latMin = "";
    bool south = false;
  } cases[] = {
      {"95W23", "29N45", true, "95", "23", false, "29", "45", false},
      {"151E12", "33S52", true, "151", "12", true, "33", "52", true},
      {"0E30", "51N30", true, "0", "30", true, "51", "30", false},
      {"95.23", "29N45", false, {}, {}, {}, {}, {}, {}},  // no direction letter
      {"181W00", "29N45", false, {}, {}, {}, {}, {}, {}},  // beyond 180
      {"95W23", "29.45", false, {}, {}, {}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lon) + " " + c.lat);
    PersonFields f{"Ann", "1", "2", "2000", "3", "4", HalfDay::PM, "0", "1", "2", false, "3", "4", false, "Old", "Old"};
    const PersonFields before = f;
    EXPECT_EQ(CopyAtlasAnswer({c.lon, c.lat, -10.5, "New South Wales", "Sydney"}, f), c.copied);
    if (!c.copied) {
      EXPECT_EQ(f.longDeg + f.latDeg + f.timeZone + f.city, before.longDeg + before.latDeg + before.timeZone + before.city);
      continue;
    }
    EXPECT_EQ(f.timeZone, "-10.5");
    EXPECT_EQ(f.longDeg + " " + f.longMin + " " + f.latDeg + " " + f.latMin,
              std::string(c.longDeg) + " " + c.longMin + " " + c.latDeg + " " + c.latMin);
    EXPECT_EQ(f.east, c.east);
    EXPECT_EQ(f.south, c.south);
    EXPECT_EQ(f.stateCountry + "/" + f.city, "New South Wales/Sydney");
    EXPECT_EQ(f.name + f.month + f.day + f.year + f.hour + f.minute, "Ann12200034");
  }
}

TEST(AtlasMoment, TwelveHourClockBecomesTwentyFour) {
  struct Case { const char *hour, *minute; HalfDay half; int expectHour; } cases[] = {
      {"12", "30", HalfDay::AM, 0}, {"12", "30", HalfDay::PM, 12}, {"3", "0", HalfDay::PM, 15},
      {"3", "0", HalfDay::AM, 3},   {"12", "0", HalfDay::Unknown, 12}};
  for (const Case& c : cases) {
    PersonFields f;
    f.month = "7", f.day = "1", f.year = "2024", f.hour = c.hour, f.minute = c.minute, f.half = c.half;
    const auto m = MomentOfBlock(f);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->hour, c.expectHour) << c.hour << ":" << c.minute;
  }
  PersonFields bad;
  bad.month = "2", bad.day = "30", bad.year = "2024", bad.hour = "1", bad.minute = "0";
  EXPECT_FALSE(MomentOfBlock(bad)) << "30 February";
}

// Every name a place goes by, in every spelling a user types for it: case, accents, ß as ss,
// umlauts plain or written out; a former name shows beside the current one.
TEST(AtlasSearch, EveryNameInEverySpellingFindsThePlace) {
  AtlasPlace munich{"München", "Bavaria", "Germany", "DE", "Europe/Berlin", 48.14, -11.58, 1260391, 2867714,
                    {"Muenchen", "Munich", "Monaco di Baviera", "Мюнхен"}};
  AtlasPlace mumbai{"Mumbai", "Maharashtra", "India", "IN", "Asia/Kolkata", 19.07, -72.88, 12691836, 1275339,
                    {"Bombay", "Bombaim"}};
  AtlasPlace giessen{"Gießen", "Hesse", "Germany", "DE", "Europe/Berlin", 50.58, -8.68, 72000, 2920512, {}};
  AtlasPlace bombayBeach{"Bombay Beach", "California", "United States", "US", "America/Los_Angeles", 33.35, 115.73,
                         295, 5328808, {}};
  // GeoNames gives the City of London the population of London.
  AtlasPlace cityOfLondon{"City of London", "England", "United Kingdom", "GB", "Europe/London", 51.51, 0.09, 7556900,
                          2643741, {"London"}};
  AtlasPlace london{"London", "England", "United Kingdom", "GB", "Europe/London", 51.51, 0.13, 7556900, 2643743, {}};
  AtlasPlace springfieldIl{"Springfield", "Illinois", "United States", "US", "America/Chicago", 39.8, 89.64, 116250};
  AtlasPlace springfieldMo{"Springfield", "Missouri", "United States", "US", "America/Chicago", 37.2, 93.3, 166810};
  const Atlas atlas({bombayBeach, giessen, springfieldIl, munich, cityOfLondon, mumbai, london, springfieldMo});
  struct Case {
    const char *typed, *region, *found;  // "City (name that matched)" of each match, ";" after each
  } cases[] = {
      {"München", "", "München;"}, {"muenchen", "", "München;"}, {"MUNCHEN", "", "München;"},
      {"munich", "", "München (Munich);"}, {"мюнх", "", "München (Мюнхен);"}, {"Giessen", "", "Gießen;"},
      {"gieß", "", "Gießen;"},
      {"Bombay", "", "Mumbai (Bombay);Bombay Beach;"},  // the name as typed first, then by population
      {"bomba", "", "Mumbai (Bombay);Bombay Beach;"},
      {"beach", "", "Bombay Beach;"},  // a later word of the name
      {"bombay", "ca", "Bombay Beach;"},  // a state's beginning, and the code of a country
      {"bombay", "in", "Mumbai (Bombay);"},
      {"mumbai", "Texas", "Mumbai;"},  // no match in the region: the region is left out
      {"london", "", "London;City of London (London);"},  // as populous: its own name first
      {"baviera", "", ""},  // only the own name is searched by its later words
      {"", "", ""},
  };
  for (const Case& c : cases) {
    const Atlas::Matches m = atlas.Search(c.typed, c.region);
    std::string found;
    for (size_t k = 0; k < m.places.size(); ++k) found += MatchedPlaceText(atlas.Place(m.places[k]).city, m.matchedNames[k]) + ";";
    EXPECT_EQ(found, c.found) << c.typed << " in " << c.region;
  }
  EXPECT_EQ(atlas.Search("bombay", "").sameName, 1u);
  // Places of one name by population, and a limit keeps the most populous, counting the rest.
  const Atlas::Matches springfield = atlas.Search("springfield", "", 1);
  EXPECT_EQ(atlas.Place(springfield.places.at(0)).state, "Missouri");
  EXPECT_EQ(springfield.places.size(), 1u);
  EXPECT_EQ(springfield.total, 2u);
  EXPECT_EQ(atlas.Search("springfield", "").sameName, 2u);
  EXPECT_TRUE(atlas.Search("mumbai", "Texas").regionIgnored);
  const AtlasPlace p = atlas.Place(atlas.Search("Muenchen", "").places.at(0));
  EXPECT_EQ(p.RegionText() + " " + p.zoneName, "Bavaria, Germany Europe/Berlin");
  EXPECT_EQ(p.geonameId, 2867714u);
  EXPECT_NEAR(p.longitudeWestDeg, -11.58, 1e-6);
}

// A damaged or foreign index file is refused with its reason; nothing reads past its end.
TEST(AtlasIndex, DamagedIndexIsRefusedNotRead) {
  const std::string good = BuildAtlasIndex(
      {{"Taos", "New Mexico", "United States", "US", "America/Denver", 36.41, 105.57, 5716, 5493811, {"Taos Pueblo"}}});
  ASSERT_TRUE(Atlas::FromBytes(good));
  auto withByte = [&](size_t at, char value) {
    std::string bytes = good;
    bytes[at] = value;
    return bytes;
  };
  struct Case { const char* what; std::string bytes; } cases[] = {
      {"empty", ""}, {"cut short", good.substr(0, good.size() - 1)}, {"a byte more", good + '\0'},
      {"another file", withByte(0, 'X')},
      {"a count too large", withByte(offsetof(atlas_index::Header, keys) + 3, '\x7f')},
      {"a place's zone beyond the zones", withByte(sizeof(atlas_index::Header) + offsetof(atlas_index::PlaceRecord, zone), 9)},
      {"texts not ended", withByte(good.size() - 1, 'x')},
  };
  for (Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Atlas::FromBytes(std::move(c.bytes), &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  std::string error;
  EXPECT_FALSE(Atlas::FromFile(fs::path("/nonexistent") / AtlasIndexFileName, &error));
  EXPECT_NE(error.find("cannot read the atlas"), std::string::npos) << error;
}

// A mean time of the database is the place's own mean time, longitude / 15: its "LMT", and the
// mean time of another city in force there (Madras time in Bombay, 29.6 minutes off Bombay's
// own); standards of whole, half and quarter hours stay, whatever they are called.
TEST(ZoneAt, MeanTimesOfOtherCitiesAreThePlacesOwnMeanTime) {
  struct Case {
    const char *what, *zone;
    CivilDate date;
    double longitudeWestDeg;
    double expectHoursWest;  // NaN: the place's own mean time, longitude / 15
    TimeKind kind;
  } cases[] = {
      {"Mumbai under Madras time, 5:21:10", "Asia/Kolkata", {1880, 6, 1}, -72.8826, NAN, TimeKind::LocalMean},
      {"Kolkata under Howrah time, 5:53:20", "Asia/Kolkata", {1860, 6, 1}, -88.363, NAN, TimeKind::LocalMean},
      {"Chicago before standard time", "America/Chicago", {1880, 6, 1}, 87.65, NAN, TimeKind::LocalMean},
      {"Guayaquil under Quito time, -5:14 named QMT", "America/Guayaquil", {1900, 6, 1}, 79.9, NAN,
       TimeKind::LocalMean},
      {"Mumbai since India's standard", "Asia/Kolkata", {1950, 6, 1}, -72.8826, -5.5, TimeKind::Standard},
      {"New Zealand's standard of 11:30, named NZMT", "Pacific/Auckland", {1900, 6, 1}, -174.76, -11.5,
       TimeKind::Standard},
      {"Kathmandu, a quarter-hour standard", "Asia/Kathmandu", {2024, 6, 1}, -85.32, -5.75, TimeKind::Standard},
      {"Singapore's standard of 7:20", "Asia/Singapore", {1937, 6, 1}, -103.85, -7 - 1 / 3.0, TimeKind::Standard},
      {"Houston in summer", "America/Chicago", {2024, 7, 1}, 95.36, 5, TimeKind::Daylight},
  };
  for (const Case& c : cases) {
    const auto zone = ZoneAt(c.zone, {c.date, 12, 0}, c.longitudeWestDeg);
    ASSERT_TRUE(zone) << c.what;
    const double expect = std::isnan(c.expectHoursWest) ? c.longitudeWestDeg / 15 : c.expectHoursWest;
    EXPECT_NEAR(zone->hoursWest, expect, 1e-6) << c.what;
    EXPECT_EQ(zone->kind, c.kind) << c.what;
    if (c.kind == TimeKind::LocalMean) {
      EXPECT_EQ(TimeKindText(*zone), "local mean time") << c.what;
    }
  }
}

// Before 1970 a zone's history is the clock of the city it is named after: elsewhere the answer
// carries a note, and standard time is the other answer (Texas kept it in 1949). Not for the
// city itself (or its name with a word more), from 1970, nor for local mean time.
TEST(AtlasZoneHistory, BeforeNineteenSeventyAnotherCitysClockIsNoted) {
  struct Case {
    AtlasPlace place;
    CivilDate date;
    const char* note;  // "" for none
    double zoneAnswer, standard;
  } cases[] = {
      {{"Houston", "Texas", "United States", "US", "America/Chicago", 29.76, 95.36}, {1949, 9, 22},
       "zone history of Chicago; check the local time in force", 5, 6},
      {{"Chicago", "Illinois", "United States", "US", "America/Chicago", 41.85, 87.65}, {1949, 9, 22}, "", 5, 6},
      {{"New York City", "New York", "United States", "US", "America/New_York", 40.71, 74.0}, {1949, 7, 1}, "", 4, 5},
      {{"Houston", "Texas", "United States", "US", "America/Chicago", 29.76, 95.36}, {1975, 7, 1}, "", 5, 6},
      {{"Mumbai", "Maharashtra", "India", "IN", "Asia/Kolkata", 19.07, -72.88}, {1950, 6, 1},
       "zone history of Kolkata; check the local time in force", -5.5, -5.5},
      {{"Houston", "Texas", "United States", "US", "America/Chicago", 29.76, 95.36}, {1880, 6, 1}, "", 95.36 / 15,
       95.36 / 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.place.city + " " + std::to_string(c.date.year));
    const LocalMoment moment{c.date, 10, 43};
    const auto zone = ZoneAt(c.place.zoneName, moment, c.place.longitudeWestDeg);
    ASSERT_TRUE(zone);
    EXPECT_EQ(ZoneHistoryNote(c.place, moment, *zone).value_or(""), c.note);
    EXPECT_NEAR(zone->hoursWest, c.zoneAnswer, 1e-9);
    EXPECT_NEAR(StandardTimeOf(*zone).hoursWest, c.standard, 1e-9);
  }
}

}  // namespace
}  // namespace kesmora
