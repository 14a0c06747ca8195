#pragma once
// The atlas: the world's cities (Debian's libgeonames: name, state, country, coordinates,
// population and IANA time zone), found by the beginning of their name as the user types, and
// what a lookup copies into a block of birth data.
#include "core/persons/person_fields.h"
#include "core/persons/time_zone.h"
#include "core/settings/options_file.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

struct AtlasPlace {
  std::string city, state, country, countryCode;
  std::string zoneName;         // IANA time zone, "America/Chicago"
  double latitudeDeg = 0;       // north positive
  double longitudeWestDeg = 0;  // west positive, as the fields hold longitudes
  unsigned population = 0;
  // What the State / Country field gets: the state in the United States, else the country.
  std::string StateOrCountry() const;
};

class Atlas {
 public:
  Atlas() = default;
  explicit Atlas(std::vector<AtlasPlace> places);
  // Every city of libgeonames, in its names (translated to the user's language where it has them).
  static Atlas FromGeonames();

  size_t Size() const { return places_.size(); }
  const AtlasPlace& Place(size_t index) const { return places_[index]; }

  struct Matches {
    std::vector<size_t> places;  // indexes, at most the limit asked for
    size_t total = 0;            // every match, also those beyond the limit
    size_t sameName = 0;         // matches named exactly as typed (more than one: an ambiguous city)
    bool regionIgnored = false;  // no match lay in the state or country given, so it was not used
  };
  // Places whose name, or a word of it, begins with `city`, case and accents ignored; within
  // the state or country given (the beginning of its name, or its two-letter code) when any
  // match lies there. Places named exactly as typed come first, then the others; each group
  // most populous first. An empty `city` matches nothing.
  Matches Search(std::string_view city, std::string_view stateOrCountry, size_t limit = 200) const;
  // Places within `withinKm` of a point, the nearest first.
  std::vector<size_t> Near(double latitudeDeg, double longitudeWestDeg, double withinKm) const;

 private:
  struct Folded {
    std::string name, state, country, code;
  };
  bool InRegion(const Folded& folded, const std::string& region) const;

  std::vector<AtlasPlace> places_;
  std::vector<Folded> folded_;
  std::vector<size_t> byPopulation_;  // the most populous first, so that a search need not sort
};

// The atlas's texts of a place: whole degrees, the direction letter, whole minutes ("95W23",
// "0E30", "29N45"); minutes that round to 60 make the next degree.
std::string AtlasLongitudeText(double longitudeWestDeg);
std::string AtlasLatitudeText(double latitudeDeg);

// What a lookup hands to a block.
struct AtlasAnswer {
  std::string longitudeText, latitudeText;
  double timeZoneHours = 0;  // west positive, the kind of time in force applied
  std::string stateCountry, city;
};
AtlasAnswer AnswerOf(const AtlasPlace& place, const ZoneInForce& zone);

// Before 1970 the database records the clock of the city a zone is named after, and gives it
// to every place of the zone (Houston gets Chicago's summer time of 1949, which Texas did not
// keep). For such a place and date: "zone history of Chicago; check the local time in force";
// nothing for the city itself, from 1970 on, and for local mean time, which is the place's own.
std::optional<std::string> ZoneHistoryNote(const AtlasPlace& place, const LocalMoment& moment,
                                           const ZoneInForce& zone);

// Where "Now" takes its clock: the zone of the home place of the options (options 18 to 24)
// when the atlas knows a place there, else the system's zone (`systemZone`). A place within
// 100 km whose standard time is the home's zone (option 18) goes before a nearer one across a
// zone border. Empty when neither is known.
std::string HomeZoneName(const Atlas& atlas, const OptionValues& options, const std::string& systemZone,
                         UtcInstant instant);
// The clock of the home place at an instant: the zone in force there, or the home's zone of
// the options when no zone is known.
ZoneClock HomeClockAt(const Atlas& atlas, const OptionValues& options, const std::string& systemZone,
                      UtcInstant instant);

// Whether the options still hold the home place they are shipped with: Greenwich, zone 0.
bool HasShippedHome(const OptionValues& options);
// The place a zone is named after and lies in ("Asia/Kolkata": Kolkata), the most populous.
std::optional<size_t> ZoneCityPlace(const Atlas& atlas, const std::string& zoneName);
// Options 18 to 24 for a place: its standard zone, whole degrees and minutes of longitude and
// latitude with their directions (0 West, 0 North).
std::array<float, 7> HomeOptionValues(const AtlasPlace& place, double standardHoursWest);

// Copies an answer into a block: time zone, degrees and minutes with their directions, state or
// country and city; name, date and time stay. The block is left unchanged (false) when a
// coordinate text has no direction letter or the longitude is above 180.
bool CopyAtlasAnswer(const AtlasAnswer& answer, PersonFields& fields);

}  // namespace kesmora
