#include "core/persons/atlas.h"

#include "core/persons/atlas_index.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <cmath>
#include <numeric>
#include <optional>

#ifndef KESMORA_INSTALLED_DATA_DIR
#define KESMORA_INSTALLED_DATA_DIR ""
#endif

namespace kesmora {

namespace fs = std::filesystem;

std::string AtlasPlace::StateOrCountry() const { return countryCode == "US" && !state.empty() ? state : country; }

std::string AtlasPlace::RegionText() const { return state.empty() ? country : state + ", " + country; }

std::string MatchedPlaceText(const std::string& city, const std::string& matchedName) {
  return matchedName.empty() ? city : city + " (" + matchedName + ")";
}

using namespace atlas_index;
static_assert(std::endian::native == std::endian::little, "the atlas index is little-endian");

Atlas::Atlas() : Atlas(std::vector<AtlasPlace>{}) {}

Atlas::Atlas(const std::vector<AtlasPlace>& places) {
  std::string error;
  if (!FromBytesInto(BuildAtlasIndex(places), &error)) throw std::logic_error("atlas index: " + error);
}

std::optional<Atlas> Atlas::FromBytes(std::string bytes, std::string* error) {
  Atlas atlas;
  std::string why;
  if (!atlas.FromBytesInto(std::move(bytes), &why)) {
    if (error) *error = why;
    return std::nullopt;
  }
  return atlas;
}

std::optional<Atlas> Atlas::FromFile(const fs::path& file, std::string* error) {
  std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) {
    if (error) *error = fmt::format("I cannot read the atlas {}.", file.string());
    return std::nullopt;
  }
  std::string why;
  std::optional<Atlas> atlas = FromBytes(std::move(*bytes), &why);
  if (!atlas && error) *error = fmt::format("The atlas {} cannot be used: {}.", file.string(), why);
  return atlas;
}

Atlas Atlas::Shipped(std::string* error) {
  std::error_code ec;
  const fs::path exe = fs::canonical("/proc/self/exe", ec);
  std::vector<fs::path> candidates;
  if (!ec) {
    candidates.push_back(exe.parent_path() / AtlasIndexFileName);
    candidates.push_back(exe.parent_path() / ".." / "share" / "kesmora" / AtlasIndexFileName);
  }
  candidates.push_back(fs::path(KESMORA_INSTALLED_DATA_DIR) / AtlasIndexFileName);
  for (const fs::path& file : candidates) {
    if (!fs::is_regular_file(file, ec)) continue;
    if (std::optional<Atlas> atlas = FromFile(file, error)) return std::move(*atlas);
    return Atlas();
  }
  if (error)
    *error = fmt::format("The atlas ({}) is not installed beside the program nor in {}.", AtlasIndexFileName,
                         KESMORA_INSTALLED_DATA_DIR);
  return Atlas();
}

template <class T>
T Atlas::Record(size_t offset) const {
  T value;
  std::memcpy(&value, bytes_.data() + offset, sizeof value);
  return value;
}

bool Atlas::FromBytesInto(std::string bytes, std::string* error) {
  bytes_ = std::move(bytes);
  auto fail = [&](const char* why) {
    *error = why;
    bytes_.clear();
    places_ = countries_ = regions_ = zones_ = keys_ = 0;
    return false;
  };
  if (bytes_.size() < sizeof(Header)) return fail("the file is too short");
  const auto h = Record<Header>(0);
  if (std::memcmp(h.magic, kMagic, sizeof h.magic) != 0) return fail("it is no atlas index");
  if (h.version != kVersion) return fail("it is an atlas index of another version");
  // Sizes in 64 bits, so that no count of a damaged file can wrap them.
  const uint64_t size = uint64_t{sizeof(Header)} + uint64_t{h.places} * sizeof(PlaceRecord) +
                        uint64_t{h.countries} * sizeof(CountryRecord) + uint64_t{h.regions} * sizeof(RegionRecord) +
                        uint64_t{h.zones} * sizeof(ZoneRecord) + uint64_t{h.keys} * sizeof(KeyRecord) + h.poolBytes;
  if (size != bytes_.size()) return fail("its size does not match its counts");
  if (h.poolBytes > 0 && bytes_.back() != '\0') return fail("its texts are not ended");
  placesAt_ = sizeof(Header);
  countriesAt_ = placesAt_ + size_t{h.places} * sizeof(PlaceRecord);
  regionsAt_ = countriesAt_ + size_t{h.countries} * sizeof(CountryRecord);
  zonesAt_ = regionsAt_ + size_t{h.regions} * sizeof(RegionRecord);
  keysAt_ = zonesAt_ + size_t{h.zones} * sizeof(ZoneRecord);
  poolAt_ = keysAt_ + size_t{h.keys} * sizeof(KeyRecord);
  places_ = h.places, countries_ = h.countries, regions_ = h.regions, zones_ = h.zones, keys_ = h.keys;
  // Every offset and index within its table, so that no lookup can read past the file.
  auto text = [&](uint32_t offset) { return offset < h.poolBytes; };
  for (size_t i = 0; i < places_; ++i) {
    const auto r = Record<PlaceRecord>(placesAt_ + i * sizeof(PlaceRecord));
    if (!text(r.name) || r.zone >= zones_ || r.country >= countries_ || (r.region != kNoRegion && r.region >= regions_))
      return fail("a place refers outside the index");
  }
  for (size_t i = 0; i < countries_; ++i) {
    const auto r = Record<CountryRecord>(countriesAt_ + i * sizeof(CountryRecord));
    if (!text(r.code) || !text(r.name) || !text(r.folded)) return fail("a country refers outside the index");
  }
  for (size_t i = 0; i < regions_; ++i) {
    const auto r = Record<RegionRecord>(regionsAt_ + i * sizeof(RegionRecord));
    if (!text(r.name) || !text(r.folded)) return fail("a region refers outside the index");
  }
  for (size_t i = 0; i < zones_; ++i)
    if (!text(Record<ZoneRecord>(zonesAt_ + i * sizeof(ZoneRecord)).name)) return fail("a zone refers outside the index");
  for (size_t i = 0; i < keys_; ++i) {
    const auto r = Record<KeyRecord>(keysAt_ + i * sizeof(KeyRecord));
    if (!text(r.folded) || !text(r.shown) || (r.place & kPlaceBits) >= places_)
      return fail("a name refers outside the index");
  }
  return true;
}

size_t Atlas::Size() const { return places_; }

AtlasPlace Atlas::Place(size_t index) const {
  const auto r = Record<PlaceRecord>(placesAt_ + index * sizeof(PlaceRecord));
  const auto country = Record<CountryRecord>(countriesAt_ + r.country * sizeof(CountryRecord));
  AtlasPlace p;
  p.city = Text(r.name);
  if (r.region != kNoRegion) p.state = Text(Record<RegionRecord>(regionsAt_ + r.region * sizeof(RegionRecord)).name);
  p.country = Text(country.name);
  p.countryCode = Text(country.code);
  p.zoneName = Text(Record<ZoneRecord>(zonesAt_ + r.zone * sizeof(ZoneRecord)).name);
  p.latitudeDeg = r.latitudeMicro / kMicro;
  p.longitudeWestDeg = r.longitudeWestMicro / kMicro;
  p.population = r.population;
  p.geonameId = r.geonameId;
  return p;
}

namespace {

bool StartsWordAt(const char* text, size_t at) {
  if (at == 0) return true;
  const char before = text[at - 1];
  return before == ' ' || before == '-' || before == '\'' || before == '(' || before == '/' || before == '.';
}

// Whether the text, or one of its words, begins with the query.
bool BeginsWith(const char* text, const std::string& query) {
  const std::string_view t(text);
  for (size_t at = t.find(query); at != std::string_view::npos; at = t.find(query, at + 1))
    if (StartsWordAt(text, at)) return true;
  return false;
}

}  // namespace

std::vector<uint32_t> Atlas::InRegion(const std::vector<uint32_t>& found, const std::string& region) const {
  std::vector<char> countryIn(countries_), regionIn(regions_);
  for (size_t c = 0; c < countries_; ++c) {
    const auto r = Record<CountryRecord>(countriesAt_ + c * sizeof(CountryRecord));
    countryIn[c] = FoldForSearch(Text(r.code)) == region || BeginsWith(Text(r.folded), region);
  }
  for (size_t g = 0; g < regions_; ++g)
    regionIn[g] = BeginsWith(Text(Record<RegionRecord>(regionsAt_ + g * sizeof(RegionRecord)).folded), region);
  std::vector<uint32_t> inRegion;
  for (uint32_t place : found) {
    const auto r = Record<PlaceRecord>(placesAt_ + place * sizeof(PlaceRecord));
    if (countryIn[r.country] || (r.region != kNoRegion && regionIn[r.region])) inRegion.push_back(place);
  }
  return inRegion;
}

Atlas::Matches Atlas::Search(std::string_view city, std::string_view stateOrCountry, size_t limit) const {
  Matches m;
  const std::string query = Trim(FoldForSearch(city));
  if (query.empty() || places_ == 0) return m;
  const std::string region = Trim(FoldForSearch(stateOrCountry));

  // The keys that begin with the query are one range of the sorted keys.
  auto keyText = [&](size_t k) { return Text(Record<KeyRecord>(keysAt_ + k * sizeof(KeyRecord)).folded); };
  size_t lo = 0, hi = keys_;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (std::strcmp(keyText(mid), query.c_str()) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  // Each place once, by its best key: a name exactly as typed before a beginning, its own name
  // before another, a shorter name before a longer.
  constexpr uint32_t kNone = UINT32_MAX;
  std::vector<uint32_t> best(places_, kNone);
  std::vector<uint8_t> bestScore(places_, 0);
  std::vector<uint32_t> found;
  for (size_t k = lo; k < keys_; ++k) {
    const auto key = Record<KeyRecord>(keysAt_ + k * sizeof(KeyRecord));
    const char* text = Text(key.folded);
    if (std::strncmp(text, query.c_str(), query.size()) != 0) break;
    const uint32_t place = key.place & kPlaceBits;
    const bool exact = (key.place & kWordInside) == 0 && text[query.size()] == '\0';
    const bool ownName = (key.place & kOwnName) != 0;
    const auto score = static_cast<uint8_t>(1 + (exact ? 2 : 0) + (ownName ? 1 : 0));
    if (best[place] == kNone) found.push_back(place);
    // Of two names alike in score, the shorter, nearer what is typed ("Bombay" before "Bombaim").
    if (score > bestScore[place] ||
        (score == bestScore[place] &&
         std::strlen(text) < std::strlen(Text(Record<KeyRecord>(keysAt_ + best[place] * sizeof(KeyRecord)).folded)))) {
      best[place] = static_cast<uint32_t>(k);
      bestScore[place] = score;
    }
  }
  // The score of a place's best key: 1 another name begins so, 2 its own name, 3 another name is
  // as typed, 4 its own name.
  auto isExact = [&](uint32_t place) { return bestScore[place] >= 3; };
  auto byOwnName = [&](uint32_t place) { return bestScore[place] % 2 == 0; };

  if (!region.empty() && !found.empty()) {
    std::vector<uint32_t> inRegion = InRegion(found, region);
    if (inRegion.empty())
      m.regionIgnored = true;
    else
      found.swap(inRegion);
  }
  // Places are numbered most populous first; of two as populous (GeoNames gives the City of London
  // London's population), the one found by its own name first.
  auto population = [&](uint32_t place) {
    return Record<PlaceRecord>(placesAt_ + place * sizeof(PlaceRecord)).population;
  };
  auto before = [&](uint32_t a, uint32_t b) {
    if (population(a) == population(b) && byOwnName(a) != byOwnName(b)) return byOwnName(a);
    return a < b;
  };
  const auto firstOther = std::partition(found.begin(), found.end(), isExact);
  std::sort(found.begin(), firstOther, before);
  m.sameName = static_cast<size_t>(firstOther - found.begin());
  m.total = found.size();
  const auto shownEnd = found.begin() + static_cast<std::ptrdiff_t>(std::min(limit, found.size()));
  if (shownEnd > firstOther) {
    std::nth_element(firstOther, shownEnd - 1, found.end());  // by index: by population
    std::sort(firstOther, shownEnd, before);
  }
  for (auto it = found.begin(); it != shownEnd; ++it) {
    const auto key = Record<KeyRecord>(keysAt_ + best[*it] * sizeof(KeyRecord));
    m.places.push_back(*it);
    m.matchedNames.push_back(byOwnName(*it) ? std::string() : std::string(Text(key.shown)));
  }
  return m;
}

std::vector<size_t> Atlas::Near(double latitudeDeg, double longitudeWestDeg, double withinKm) const {
  constexpr double kEarthRadiusKm = 6371.0, kRad = 3.14159265358979323846 / 180;
  std::vector<std::pair<double, size_t>> near;
  for (size_t i = 0; i < places_; ++i) {
    const auto r = Record<PlaceRecord>(placesAt_ + i * sizeof(PlaceRecord));
    const double lat = r.latitudeMicro / kMicro, lonWest = r.longitudeWestMicro / kMicro;
    // The haversine distance along the great circle.
    const double dLat = (lat - latitudeDeg) * kRad, dLon = (lonWest - longitudeWestDeg) * kRad;
    const double a = std::pow(std::sin(dLat / 2), 2) +
                     std::cos(latitudeDeg * kRad) * std::cos(lat * kRad) * std::pow(std::sin(dLon / 2), 2);
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
