#include "core/persons/atlas_index.h"

#include "core/persons/atlas.h"
#include "core/reference/text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <set>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace kesmora {

namespace {

using namespace atlas_index;

// The texts of the index, each kept once.
class Pool {
 public:
  uint32_t Add(const std::string& text) {
    auto [it, added] = offsets_.try_emplace(text, static_cast<uint32_t>(bytes_.size()));
    if (added) {
      if (bytes_.size() + text.size() + 1 > UINT32_MAX) throw std::length_error("the atlas texts are too long");
      bytes_.append(text);
      bytes_.push_back('\0');
    }
    return it->second;
  }
  const char* At(uint32_t offset) const { return bytes_.data() + offset; }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::unordered_map<std::string, uint32_t> offsets_;
};

// Where a later word of a folded name begins.
std::vector<size_t> WordStarts(const std::string& folded) {
  std::vector<size_t> starts;
  for (size_t at = 1; at < folded.size(); ++at) {
    const char before = folded[at - 1];
    if ((before == ' ' || before == '-' || before == '\'' || before == '(' || before == '/' || before == '.') &&
        folded[at] != ' ')
      starts.push_back(at);
  }
  return starts;
}

template <class T>
void Append(std::string& out, const T& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <class T>
uint16_t Number16(const T& index) {
  if (index >= kNoRegion) throw std::length_error("too many countries, regions or zones for the atlas index");
  return static_cast<uint16_t>(index);
}

int32_t Micro(double degrees) { return static_cast<int32_t>(std::llround(degrees * kMicro)); }

// The tables of the index as it is built.
struct Tables {
  Pool pool;
  std::vector<CountryRecord> countries;
  std::vector<RegionRecord> regions;
  std::vector<ZoneRecord> zones;
  std::vector<PlaceRecord> places;
  std::vector<KeyRecord> keys;
};

// The index's bytes: the header, then each table, then the texts.
std::string IndexBytes(const Tables& t) {
  Header h{};
  std::memcpy(h.magic, kMagic, sizeof h.magic);
  h.version = kVersion;
  h.places = static_cast<uint32_t>(t.places.size());
  h.countries = static_cast<uint32_t>(t.countries.size());
  h.regions = static_cast<uint32_t>(t.regions.size());
  h.zones = static_cast<uint32_t>(t.zones.size());
  h.keys = static_cast<uint32_t>(t.keys.size());
  h.poolBytes = static_cast<uint32_t>(t.pool.Bytes().size());
  std::string out;
  out.reserve(sizeof h + t.places.size() * sizeof(PlaceRecord) + t.keys.size() * sizeof(KeyRecord) + h.poolBytes);
  Append(out, h);
  for (const auto& r : t.places) Append(out, r);
  for (const auto& r : t.countries) Append(out, r);
  for (const auto& r : t.regions) Append(out, r);
  for (const auto& r : t.zones) Append(out, r);
  for (const auto& r : t.keys) Append(out, r);
  out += t.pool.Bytes();
  return out;
}

}  // namespace

std::string BuildAtlasIndex(const std::vector<AtlasPlace>& input) {
  // The most populous first, so that places in index order are places by population.
  std::vector<size_t> order(input.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return input[a].population > input[b].population; });

  Tables t;
  // Named references, not a structured binding: lambdas below capture them.
  Pool& pool = t.pool;
  auto& countries = t.countries;
  auto& regions = t.regions;
  auto& zones = t.zones;
  auto& places = t.places;
  auto& keys = t.keys;
  std::map<std::string, uint16_t> countryOf, zoneOf;
  std::map<std::pair<std::string, std::string>, uint16_t> regionOf;
  places.reserve(input.size());
  for (size_t i : order) {
    const AtlasPlace& p = input[i];
    PlaceRecord r{};
    r.geonameId = p.geonameId;
    r.name = pool.Add(p.city);
    r.latitudeMicro = Micro(p.latitudeDeg);
    r.longitudeWestMicro = Micro(p.longitudeWestDeg);
    r.population = p.population;
    auto [country, newCountry] = countryOf.try_emplace(p.countryCode, Number16(countries.size()));
    if (newCountry)
      countries.push_back({pool.Add(p.countryCode), pool.Add(p.country), pool.Add(FoldForSearch(p.country))});
    r.country = country->second;
    r.region = kNoRegion;
    if (!p.state.empty()) {
      auto [region, newRegion] = regionOf.try_emplace({p.countryCode, p.state}, Number16(regions.size()));
      if (newRegion) regions.push_back({pool.Add(p.state), pool.Add(FoldForSearch(p.state))});
      r.region = region->second;
    }
    auto [zone, newZone] = zoneOf.try_emplace(p.zoneName, Number16(zones.size()));
    if (newZone) zones.push_back({pool.Add(p.zoneName)});
    r.zone = zone->second;
    const auto placeIndex = static_cast<uint32_t>(places.size());
    places.push_back(r);

    // Its name first, so that a spelling it shares with another name shows as the name itself.
    std::set<std::string> spellings;
    auto addName = [&](const std::string& name, bool own) {
      if (Trim(name).empty()) return;
      for (std::string& folded : FoldedSpellings(Trim(name))) {
        if (!spellings.insert(folded).second) continue;
        const uint32_t foldedAt = pool.Add(folded), shown = pool.Add(name);
        const uint32_t place = placeIndex | (own ? kOwnName : 0);
        keys.push_back({foldedAt, place, shown});
        if (own)
          for (size_t at : WordStarts(folded))
            keys.push_back({foldedAt + static_cast<uint32_t>(at), place | kWordInside, shown});
      }
    };
    addName(p.city, true);
    for (const std::string& other : p.otherNames) addName(other, false);
  }
  if (places.size() > kPlaceBits) throw std::length_error("too many places for the atlas index");
  std::sort(keys.begin(), keys.end(), [&](const KeyRecord& a, const KeyRecord& b) {
    if (const int c = std::strcmp(pool.At(a.folded), pool.At(b.folded)); c != 0) return c < 0;
    return (a.place & kPlaceBits) < (b.place & kPlaceBits);
  });
  return IndexBytes(t);
}

}  // namespace kesmora
