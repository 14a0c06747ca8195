// Builds the atlas index from GeoNames' cities of 1,000 people and more (cities1000.txt, tab-
// separated: id, name, ASCII name, other names, latitude, longitude, feature class and code,
// country, other countries, first-level division, three lower divisions, population, elevation,
// terrain height, IANA zone, date of change). The file gives a state only as a code of its
// country ("TX", "16"): the names come from the cities of Debian's libgeonames, which carry the
// state's name, matched to the file's places by position; country names from libgeonames too, else
// from Debian's iso-codes. A place whose state has no name shows its country.
//
// usage: kesmora-make-atlas CITIES1000.TXT ISO_3166-1.JSON OUTPUT
#include "core/persons/atlas.h"
#include "core/persons/atlas_index.h"
#include "core/reference/text.h"

#include <geonames.h>

#include <fmt/format.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <map>
#include <regex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace kesmora;

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  size_t from = 0;
  for (size_t at; (at = line.find(separator, from)) != std::string::npos; from = at + 1)
    fields.push_back(line.substr(from, at - from));
  fields.push_back(line.substr(from));
  return fields;
}

struct Row {
  AtlasPlace place;
  std::string admin1;
};

// The most frequent name given for a code.
using Votes = std::map<std::string, std::map<std::string, int>>;
std::string Winner(const std::map<std::string, int>& votes) {
  std::string best;
  int most = 0;
  for (const auto& [name, count] : votes)
    if (count > most) best = name, most = count;
  return best;
}

int64_t Cell(double latitudeDeg, double longitudeDeg) {
  return static_cast<int64_t>(std::floor(latitudeDeg * 10)) * 10000 + static_cast<int64_t>(std::floor(longitudeDeg * 10));
}

// Country names of ISO 3166-1 in iso-codes' JSON: the common name where it has one.
std::map<std::string, std::string> IsoCountryNames(const std::string& json) {
  std::map<std::string, std::string> names;
  static const std::regex entry(R"(\{[^{}]*\})"), field(R"re("(alpha_2|name|common_name)"\s*:\s*"([^"]*)")re");
  for (auto e = std::sregex_iterator(json.begin(), json.end(), entry); e != std::sregex_iterator(); ++e) {
    std::map<std::string, std::string> fields;
    const std::string text = e->str();
    for (auto f = std::sregex_iterator(text.begin(), text.end(), field); f != std::sregex_iterator(); ++f)
      fields[(*f)[1]] = (*f)[2];
    if (fields.contains("alpha_2"))
      names[fields["alpha_2"]] = fields.contains("common_name") ? fields["common_name"] : fields["name"];
  }
  return names;
}

int Run(int argc, char** argv) {
  if (argc != 4) {
    fmt::print(stderr, "usage: {} CITIES1000.TXT ISO_3166-1.JSON OUTPUT\n", argv[0]);
    return 2;
  }
  const std::optional<std::string> text = ReadWholeFile(argv[1]);
  if (!text) {
    fmt::print(stderr, "{}: cannot be read; run scripts/setup.sh to fetch it\n", argv[1]);
    return 1;
  }
  std::vector<Row> rows;
  std::unordered_map<int64_t, std::vector<size_t>> grid;
  size_t lineNumber = 0;
  for (const std::string& line : SplitLines(*text)) {
    ++lineNumber;
    if (line.empty()) continue;
    const std::vector<std::string> f = Split(line, '\t');
    if (f.size() < 19 || f[1].empty() || f[17].empty()) {
      fmt::print(stderr, "{}:{}: not a GeoNames city line\n", argv[1], lineNumber);
      return 1;
    }
    Row r;
    AtlasPlace& p = r.place;
    p.geonameId = static_cast<uint32_t>(std::stoul(f[0]));
    p.city = f[1];
    if (f[2] != f[1]) p.otherNames.push_back(f[2]);
    for (std::string& other : Split(f[3], ','))
      if (!other.empty() && other != f[1] && other != f[2]) p.otherNames.push_back(std::move(other));
    p.latitudeDeg = std::stod(f[4]);
    p.longitudeWestDeg = -std::stod(f[5]);
    p.countryCode = f[8];
    r.admin1 = f[10];
    p.population = static_cast<unsigned>(std::stoul(f[14].empty() ? "0" : f[14]));
    p.zoneName = f[17];
    grid[Cell(p.latitudeDeg, -p.longitudeWestDeg)].push_back(rows.size());
    rows.push_back(std::move(r));
  }

  // libgeonames' cities (in the C locale: English names) give the names of the states and
  // countries of the places nearest to them.
  Votes stateVotes, countryVotes;
  const gint count = geonames_get_n_cities();
  for (gint i = 0; i < count; ++i) {
    GeonamesCity* city = geonames_get_city(i);
    if (!city) continue;
    const std::string code = geonames_city_get_country_code(city) ? geonames_city_get_country_code(city) : "";
    const std::string state = geonames_city_get_state(city) ? geonames_city_get_state(city) : "";
    const std::string country = geonames_city_get_country(city) ? geonames_city_get_country(city) : "";
    const double lat = geonames_city_get_latitude(city), lon = geonames_city_get_longitude(city);
    geonames_city_free(city);
    if (!country.empty()) ++countryVotes[code][country];
    if (state.empty()) continue;
    const Row* nearest = nullptr;
    double nearestDeg = 0.05;
    for (int dLat = -1; dLat <= 1; ++dLat)
      for (int dLon = -1; dLon <= 1; ++dLon) {
        const auto cell = grid.find(Cell(lat + dLat * 0.1, lon + dLon * 0.1));
        if (cell == grid.end()) continue;
        for (size_t k : cell->second) {
          const Row& r = rows[k];
          const double deg = std::max(std::abs(r.place.latitudeDeg - lat), std::abs(-r.place.longitudeWestDeg - lon));
          if (r.place.countryCode == code && !r.admin1.empty() && r.admin1 != "00" && deg < nearestDeg)
            nearest = &r, nearestDeg = deg;
        }
      }
    if (nearest) ++stateVotes[code + "." + nearest->admin1][state];
  }
  const std::optional<std::string> isoJson = ReadWholeFile(argv[2]);
  if (!isoJson) {
    fmt::print(stderr, "{}: cannot be read (package iso-codes)\n", argv[2]);
    return 1;
  }
  const std::map<std::string, std::string> isoNames = IsoCountryNames(*isoJson);

  size_t withState = 0;
  std::map<std::string, int> unnamedCountries;
  std::vector<AtlasPlace> places;
  places.reserve(rows.size());
  for (Row& r : rows) {
    AtlasPlace& p = r.place;
    if (auto votes = stateVotes.find(p.countryCode + "." + r.admin1); votes != stateVotes.end()) {
      p.state = Winner(votes->second);
      ++withState;
    }
    if (auto votes = countryVotes.find(p.countryCode); votes != countryVotes.end())
      p.country = Winner(votes->second);
    else if (auto iso = isoNames.find(p.countryCode); iso != isoNames.end())
      p.country = iso->second;
    if (p.country.empty()) {
      ++unnamedCountries[p.countryCode];
      p.country = p.countryCode;
    }
    places.push_back(std::move(p));
  }
  for (const auto& [code, n] : unnamedCountries)
    fmt::print(stderr, "warning: no name for the country {} ({} places)\n", code, n);

  const std::string index = BuildAtlasIndex(places);
  if (const WriteResult written = WriteFileAtomically(argv[3], index); !written) {
    fmt::print(stderr, "{}\n", WriteFailureText(argv[3], written));
    return 1;
  }
  fmt::print("{} places, {} with a state name, {} bytes\n", places.size(), withState, index.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    fmt::print(stderr, "{}: {}\n", argv[0], e.what());
    return 1;
  }
}
