#include "core/persons/atlas.h"

#include "core/reference/text.h"

#include <geonames.h>

#include <fmt/format.h>

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

std::vector<size_t> Atlas::Near(double latitudeDeg, double longitudeWestDeg, double withinKm) const {
  constexpr double kEarthRadiusKm = 6371.0, kRad = 3.14159265358979323846 / 180;
  std::vector<std::pair<double, size_t>> near;
  for (size_t i = 0; i < places_.size(); ++i) {
    const AtlasPlace& p = places_[i];
    // The haversine distance along the great circle.
    const double dLat = (p.latitudeDeg - latitudeDeg) * kRad, dLon = (p.longitudeWestDeg - longitudeWestDeg) * kRad;
    const double a = std::pow(std::sin(dLat / 2), 2) +
                     std::cos(latitudeDeg * kRad) * std::cos(p.latitudeDeg * kRad) * std::pow(std::sin(dLon / 2), 2);
    const double km = 2 * kEarthRadiusKm * std::asin(std::min(1.0, std::sqrt(a)));
    if (km <= withinKm) near.emplace_back(km, i);
  }
  std::sort(near.begin(), near.end());
  std::vector<size_t> indexes;
  for (const auto& [km, i] : near) indexes.push_back(i);
  return indexes;
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

namespace {

// Whether a place is the city a zone is named after: its name, or its name with a word more
// ("New York City" for America/New_York).
bool IsZoneCity(const std::string& cityName, const std::string& zoneName) {
  const std::string zoneCity = FoldForSearch(ZoneCityName(zoneName));
  const std::string city = FoldForSearch(cityName);
  return !zoneCity.empty() && (city == zoneCity || city.starts_with(zoneCity + " "));
}

constexpr int kFirstYearOfEveryZone = 1970;  // since then the database keeps every region apart

}  // namespace

std::optional<std::string> ZoneHistoryNote(const AtlasPlace& place, const LocalMoment& moment,
                                           const ZoneInForce& zone) {
  if (moment.date.year >= kFirstYearOfEveryZone || zone.kind == TimeKind::LocalMean) return std::nullopt;
  const std::string zoneCity = ZoneCityName(place.zoneName);
  if (IsZoneCity(place.city, place.zoneName)) return std::nullopt;
  return fmt::format("zone history of {}; check the local time in force",
                     zoneCity.empty() ? place.zoneName : zoneCity);
}

namespace {

double HomeLatitude(const OptionValues& o) {
  const double lat = o[option::HomeLatDeg] + o[option::HomeLatMin] / 60.0;
  return o[option::HomeNorthSouth] != 0 ? -lat : lat;
}

double HomeLongitudeWest(const OptionValues& o) {
  const double lon = o[option::HomeLongDeg] + o[option::HomeLongMin] / 60.0;
  return o[option::HomeEastWest] != 0 ? -lon : lon;
}

constexpr double kHomeWithinKm = 100;

}  // namespace

std::string HomeZoneName(const Atlas& atlas, const OptionValues& o, const std::string& systemZone,
                         UtcInstant instant) {
  const std::vector<size_t> near = atlas.Near(HomeLatitude(o), HomeLongitudeWest(o), kHomeWithinKm);
  for (size_t i : near) {
    const std::string& zone = atlas.Place(i).zoneName;
    const std::optional<ZoneClock> clock = ZoneClockAt(zone, instant);
    if (!clock) continue;
    const std::optional<ZoneInForce> z = ZoneAt(zone, clock->clock, atlas.Place(i).longitudeWestDeg);
    if (z && std::abs(z->standardHoursWest - o[option::HomeTimeZone]) < 1e-3) return zone;
  }
  for (size_t i : near)
    if (ZoneClockAt(atlas.Place(i).zoneName, instant)) return atlas.Place(i).zoneName;
  return systemZone;
}

ZoneClock HomeClockAt(const Atlas& atlas, const OptionValues& o, const std::string& systemZone, UtcInstant instant) {
  if (auto clock = ZoneClockAt(HomeZoneName(atlas, o, systemZone, instant), instant)) return *clock;
  return FixedZoneClockAt(o[option::HomeTimeZone], instant);
}

bool HasShippedHome(const OptionValues& o) {
  return o[option::HomeTimeZone] == 0 && o[option::HomeLongDeg] == 0 && o[option::HomeLongMin] == 0 &&
         o[option::HomeEastWest] == 0 && o[option::HomeLatDeg] == 51 && o[option::HomeLatMin] == 29 &&
         o[option::HomeNorthSouth] == 0;
}

std::optional<size_t> ZoneCityPlace(const Atlas& atlas, const std::string& zoneName) {
  const std::string city = ZoneCityName(zoneName);
  if (city.empty()) return std::nullopt;
  const Atlas::Matches m = atlas.Search(city, "");
  for (size_t i : m.places)  // the most populous first
    if (atlas.Place(i).zoneName == zoneName && IsZoneCity(atlas.Place(i).city, zoneName)) return i;
  return std::nullopt;
}

std::array<float, 7> HomeOptionValues(const AtlasPlace& place, double standardHoursWest) {
  auto degreesMinutes = [](double value) {
    const long long minutes = std::llround(std::abs(value) * 60);
    return std::pair{static_cast<float>(minutes / 60), static_cast<float>(minutes % 60)};
  };
  const auto [lonDeg, lonMin] = degreesMinutes(place.longitudeWestDeg);
  const auto [latDeg, latMin] = degreesMinutes(place.latitudeDeg);
  return {static_cast<float>(standardHoursWest), lonDeg, lonMin, place.longitudeWestDeg < 0 ? 1.0f : 0.0f,
          latDeg, latMin, place.latitudeDeg < 0 ? 1.0f : 0.0f};
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
