// What the atlas copies into a block, the clock time it is asked about, and its search.
#include "core/persons/atlas.h"

#include <gtest/gtest.h>

namespace kesmora {
namespace {

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
  struct Case {
    const char *hour, *minute;
    HalfDay half;
    int expectHour;
  } cases[] = {{"12", "30", HalfDay::AM, 0}, {"12", "30", HalfDay::PM, 12}, {"3", "0", HalfDay::PM, 15},
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

TEST(AtlasSearch, CaseAndAccentsIgnoredMostPopulousFirst) {
  const Atlas atlas({{"Zürich", "Zurich", "Switzerland", "CH", "Europe/Zurich", 47.37, -8.55, 341730},
                     {"Springfield", "Illinois", "United States", "US", "America/Chicago", 39.8, 89.64, 116250},
                     {"Springfield", "Missouri", "United States", "US", "America/Chicago", 37.2, 93.3, 166810},
                     {"Springfield Gardens", "New York", "United States", "US", "America/New_York", 40.66, 73.76, 20000},
                     {"Cape Town", "Western Cape", "South Africa", "ZA", "Africa/Johannesburg", -33.9, -18.4, 3433441}});
  auto cities = [&](const Atlas::Matches& m) {
    std::string out;
    for (size_t i : m.places) out += atlas.Place(i).city + "/" + atlas.Place(i).state + ";";
    return out;
  };
  EXPECT_EQ(cities(atlas.Search("ZURICH", "")), "Zürich/Zurich;");
  EXPECT_EQ(cities(atlas.Search("town", "")), "Cape Town/Western Cape;") << "a word of the name";
  const Atlas::Matches springfield = atlas.Search("springfield", "");
  EXPECT_EQ(cities(springfield), "Springfield/Missouri;Springfield/Illinois;Springfield Gardens/New York;");
  EXPECT_EQ(springfield.sameName, 2u) << "an ambiguous city";
  EXPECT_EQ(cities(atlas.Search("Springfield", "ill")), "Springfield/Illinois;");
  const Atlas::Matches elsewhere = atlas.Search("Springfield", "Peru");
  EXPECT_TRUE(elsewhere.regionIgnored);
  EXPECT_EQ(elsewhere.places.size(), 3u);
  EXPECT_TRUE(atlas.Search("", "").places.empty());
}

}  // namespace
}  // namespace kesmora
