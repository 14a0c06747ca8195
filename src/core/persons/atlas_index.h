#pragma once
// The atlas index: one flat file that the build makes from GeoNames' cities and the program reads
// in one piece. All numbers are little-endian 32- or 16-bit integers:
//
//   header     magic "KESATLAS", version, counts of places, countries, regions, zones and keys,
//              size of the string pool
//   places     geonames id, name, latitude and longitude (west positive) in millionths of a degree,
//              population, zone, country and region (state) indexes; the most populous first
//   countries  two-letter code, name, folded name
//   regions    name, folded name (first-level divisions: states, provinces)
//   zones      IANA name
//   keys       folded name or word of it, place (with the flags below), the name as written; sorted
//              by the folded text, then place, so a prefix is one range
//   pool       the texts, each ended by a zero byte, each kept once
//
// Offsets into the pool are byte offsets from its start.
#include <cstdint>
#include <string>
#include <vector>

namespace kesmora {

struct AtlasPlace;

namespace atlas_index {

inline constexpr char kMagic[8] = {'K', 'E', 'S', 'A', 'T', 'L', 'A', 'S'};
inline constexpr uint32_t kVersion = 1;
inline constexpr uint16_t kNoRegion = 0xFFFF;
// Flags of a key's place: it begins at a later word of the name; it is the place's own name.
inline constexpr uint32_t kWordInside = 0x80000000u, kOwnName = 0x40000000u, kPlaceBits = 0x3FFFFFFFu;
inline constexpr double kMicro = 1e6;

struct Header {
  char magic[8];
  uint32_t version, places, countries, regions, zones, keys, poolBytes;
};
struct PlaceRecord {
  uint32_t geonameId, name;
  int32_t latitudeMicro, longitudeWestMicro;
  uint32_t population;
  uint16_t zone, country, region, unused;
};
struct CountryRecord {
  uint32_t code, name, folded;
};
struct RegionRecord {
  uint32_t name, folded;
};
struct ZoneRecord {
  uint32_t name;
};
struct KeyRecord {
  uint32_t folded, place, shown;
};
static_assert(sizeof(Header) == 36 && sizeof(PlaceRecord) == 28 && sizeof(KeyRecord) == 12);

}  // namespace atlas_index

// The index of places, each found by its name, each of its other names (`otherNames`) and the
// later words of its name, in every folded spelling. Throws std::length_error when the places
// need more countries, regions or zones than the index can number.
std::string BuildAtlasIndex(const std::vector<AtlasPlace>& places);

}  // namespace kesmora
