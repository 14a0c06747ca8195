#include "core/persons/atlas.h"

#include "core/reference/text.h"

#include <geonames.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace kesmora {

std::string AtlasPlace::StateOrCountry() const { return countryCode == "US" && !state.empty() ? state : country; }

Atlas::Atlas(std::vector<AtlasPlace> places) : places_(std::move(places)) {
  folded_.reserve(places_.size());
  for (const AtlasPlace& p : places_)
    folded_.push_back({FoldForSearch(p.city), FoldForSearch(p.state), FoldForSearch(p.country), FoldForSearch(p.countryCode)});
  byPopulation_.resize(places_.size());
  std::iota(byPopulation_.begin(), byPopulation_.end(), size_t{0});
  std::stable_sort(byPopulation_.begin(), byPopulation_.end(),
                   [this](size_t a, size_t b) { return places_[a].population > places_[b].population; });
}

Atlas Atlas::FromGeonames() {
  auto text = [](const gchar* s) { return std::string(s ? s : ""); };
  std::vector<AtlasPlace> places;
  const gint count = geonames_get_n_cities();
  places.reserve(static_cast<size_t>(std::max(count, 0)));
  for (gint i = 0; i < count; ++i) {
    GeonamesCity* city = geonames_get_city(i);
    if (!city) continue;
    AtlasPlace p;
    p.city = text(geonames_city_get_name(city));
    p.state = text(geonames_city_get_state(city));
    p.country = text(geonames_city_get_country(city));
    p.countryCode = text(geonames_city_get_country_code(city));
    p.zoneName = text(geonames_city_get_timezone(city));
    p.latitudeDeg = geonames_city_get_latitude(city);
    p.longitudeWestDeg = -geonames_city_get_longitude(city);  // the library counts east positive
    p.population = geonames_city_get_population(city);
    geonames_city_free(city);
    if (!p.city.empty()) places.push_back(std::move(p));
  }
  return Atlas(std::move(places));
}

namespace {

bool StartsWordAt(const std::string& text, size_t at) {
  if (at == 0) return true;
  const char before = text[at - 1];
  return before == ' ' || before == '-' || before == '\'' || before == '(' || before == '/' || before == '.';
}

// Whether the text, or one of its words, begins with the query.
bool BeginsWith(const std::string& text, const std::string& query) {
  for (size_t at = text.find(query); at != std::string::npos; at = text.find(query, at + 1))
    if (StartsWordAt(text, at)) return true;
  return false;
}

}  // namespace

bool Atlas::InRegion(const Folded& f, const std::string& region) const {
  return f.code == region || BeginsWith(f.state, region) || BeginsWith(f.country, region);
}

Atlas::Matches Atlas::Search(std::string_view city, std::string_view stateOrCountry, size_t limit) const {
  Matches m;
  const std::string query = Trim(FoldForSearch(city));
  if (query.empty()) return m;
  const std::string region = Trim(FoldForSearch(stateOrCountry));
  // Every place of the name, most populous first; then those of the region, if there are any.
  std::vector<size_t> named;
  for (size_t i : byPopulation_)
    if (BeginsWith(folded_[i].name, query)) named.push_back(i);
  if (!region.empty()) {
    std::vector<size_t> inRegion;
    for (size_t i : named)
      if (InRegion(folded_[i], region)) inRegion.push_back(i);
    if (inRegion.empty())
      m.regionIgnored = !named.empty();
    else
      named.swap(inRegion);
  }
  std::vector<size_t> others;
  for (size_t i : named) {
    if (folded_[i].name == query) {
      m.places.push_back(i);
      ++m.sameName;
    } else {
      others.push_back(i);
    }
  }
  m.places.insert(m.places.end(), others.begin(), others.end());
  m.total = m.places.size();
  if (m.places.size() > limit) m.places.resize(limit);
  return m;
}

namespace {

std::string CoordinateText(double value, char positive, char negative) {
  long long degrees = static_cast<long long>(std::abs(std::trunc(value)));
  long long minutes = std::llround(std::abs(value - std::trunc(value)) * 60);
  if (minutes == 60) {
    minutes = 0;
    ++degrees;
  }
  return std::to_string(degrees) + (value >= 0 ? positive : negative) + std::to_string(minutes);
}

struct Coordinate {
  std::string degrees, minutes;
  bool negative = false;  // East, or South
};

// Degrees before the direction letter, minutes in at most two characters after it.
std::optional<Coordinate> ReadCoordinate(const std::string& text, char positive, char negative, double most) {
  size_t at = text.find(positive);
  const bool isNegative = at == std::string::npos;
  if (isNegative) at = text.find(negative);
  if (at == std::string::npos) return std::nullopt;
  std::string dotted = text;
  dotted[at] = '.';
  if (Trim(dotted).empty() || !HasLeadingNumber(dotted) || LeadingNumber(dotted) > most) return std::nullopt;
  auto whole = [](const std::string& part) { return std::to_string(ClampedInt(std::trunc(LeadingNumber(part)))); };
  return Coordinate{whole(text.substr(0, at)), whole(text.substr(at + 1, 2)), isNegative};
}

}  // namespace

std::string AtlasLongitudeText(double longitudeWestDeg) { return CoordinateText(longitudeWestDeg, 'W', 'E'); }
std::string AtlasLatitudeText(double latitudeDeg) { return CoordinateText(latitudeDeg, 'N', 'S'); }

AtlasAnswer AnswerOf(const AtlasPlace& place, const ZoneInForce& zone) {
  return {AtlasLongitudeText(place.longitudeWestDeg), AtlasLatitudeText(place.latitudeDeg), zone.hoursWest,
          place.StateOrCountry(), place.city};
}

bool CopyAtlasAnswer(const AtlasAnswer& a, PersonFields& f) {
  const std::optional<Coordinate> lon = ReadCoordinate(a.longitudeText, 'W', 'E', 180);
  const std::optional<Coordinate> lat = ReadCoordinate(a.latitudeText, 'N', 'S', 90);
  if (!lon || !lat) return false;
  f.timeZone = ZoneFieldText(a.timeZoneHours);
  f.longDeg = lon->degrees;
  f.longMin = lon->minutes;
  f.east = lon->negative;
  f.latDeg = lat->degrees;
  f.latMin = lat->minutes;
  f.south = lat->negative;
  f.stateCountry = a.stateCountry;
  f.city = a.city;
  return true;
}

}  // namespace kesmora
