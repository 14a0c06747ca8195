#pragma once
// The atlas: GeoNames' cities of 1,000 people and more (name and other names, state, country,
// coordinates, population and IANA time zone), found by the beginning of any of their names as
// the user types, and what a lookup copies into a block of birth data.
#include "core/persons/person_fields.h"
#include "core/persons/time_zone.h"
#include "core/settings/options_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
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
  uint32_t geonameId = 0;
  // Other names it is found by: native spellings, other languages, former names. Read when an
  // index is built; a place the atlas hands out leaves them out.
  std::vector<std::string> otherNames = {};
  // What the State / Country field gets: the state in the United States, else the country.
  std::string StateOrCountry() const;
  // The state and the country, or the country alone ("Texas, United States").
  std::string RegionText() const;
};

// The name of the atlas index the build makes and the package installs.
inline constexpr const char* AtlasIndexFileName = "cities.atlas";

class Atlas {
 public:
  Atlas();
  // An atlas of these places (its index built in memory, as the build makes the shipped one).
  explicit Atlas(const std::vector<AtlasPlace>& places);
  // The atlas in an index file; nothing, with the reason in `error`, when the file cannot be read
  // or is no atlas index.
  static std::optional<Atlas> FromFile(const std::filesystem::path& file, std::string* error = nullptr);
  static std::optional<Atlas> FromBytes(std::string bytes, std::string* error = nullptr);
  // The shipped atlas: GeoNames' cities of 1,000 people and more, beside the running program or
  // where it is installed. An empty atlas, with the reason in `error`, when there is none.
  static Atlas Shipped(std::string* error = nullptr);

  size_t Size() const;
  AtlasPlace Place(size_t index) const;

  struct Matches {
    std::vector<size_t> places;  // indexes, at most the limit asked for
    // For each of `places`, the name that matched when it is another name of the place
    // ("Bombay" for Mumbai), else empty.
    std::vector<std::string> matchedNames;
    size_t total = 0;            // every match, also those beyond the limit
    size_t sameName = 0;         // matches named exactly as typed (more than one: an ambiguous city)
    bool regionIgnored = false;  // no match lay in the state or country given, so it was not used
  };
  // Places whose name, another name of theirs, or a later word of their name begins with `city`,
  // case and accents ignored ("muenchen", "munchen" and "munich" find München); within the state or
  // country given (the beginning of its name, or its two-letter code) when any match lies there.
  // Places with a name exactly as typed come first, then the others; each group most populous
  // first. An empty `city` matches nothing.
  Matches Search(std::string_view city, std::string_view stateOrCountry, size_t limit = 200) const;
  // Places within `withinKm` of a point, the nearest first.
  std::vector<size_t> Near(double latitudeDeg, double longitudeWestDeg, double withinKm) const;

 private:
  template <class T>
  T Record(size_t offset) const;
  const char* Text(uint32_t offset) const { return bytes_.data() + poolAt_ + offset; }
  bool FromBytesInto(std::string bytes, std::string* error);
  // The places of `found` that lie in a country or region whose name begins with the folded
  // `region`, or whose code it is.
  std::vector<uint32_t> InRegion(const std::vector<uint32_t>& found, const std::string& region) const;

  std::string bytes_;  // the whole index
  size_t placesAt_ = 0, countriesAt_ = 0, regionsAt_ = 0, zonesAt_ = 0, keysAt_ = 0, poolAt_ = 0;
  size_t places_ = 0, countries_ = 0, regions_ = 0, zones_ = 0, keys_ = 0;
};

// A place as a search found it: "Mumbai (Bombay)" when another of its names matched, else its name.
std::string MatchedPlaceText(const std::string& city, const std::string& matchedName);

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
