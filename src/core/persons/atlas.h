#pragma once
// The atlas: the world's cities (Debian's libgeonames: name, state, country, coordinates,
// population and IANA time zone), found by the beginning of their name as the user types, and
// what a lookup copies into a block of birth data.
#include "core/persons/person_fields.h"
#include "core/persons/time_zone.h"

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

// Copies an answer into a block: time zone, degrees and minutes with their directions, state or
// country and city; name, date and time stay. The block is left unchanged (false) when a
// coordinate text has no direction letter or the longitude is above 180.
bool CopyAtlasAnswer(const AtlasAnswer& answer, PersonFields& fields);

}  // namespace kesmora
