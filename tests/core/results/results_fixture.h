#pragma once
// Small hand-made tables and hit rows for the report, grid and CSV tests.
#include "core/reference/reference_tables.h"
#include "core/results/results.h"
#include "core/search/hit_table.h"

#include <string>
#include <vector>

namespace kesmora::test {

// Four planets (1 Sun, 2 Moon, 3 Mars, 4 Ascendant) and the aspect captions of the shipped
// aspect file.
inline ReferenceTables SmallTables() {
  ReferenceTables t;
  t.planets = {PlanetEntry{}, PlanetEntry{"Sun", "g", "", 0, 1}, PlanetEntry{"Moon", "g", "", 1, 2},
               PlanetEntry{"Mars", "g", "", 4, 5}, PlanetEntry{"Ascendant", "p", "", 0, 15}};
  t.aspectCaptions = {"000", "018", "030", "036", "040", "045", "060", "072", "090",
                      "108", "120", "135", "144", "150", "180", "par", "c.p"};
  return t;
}

// The planets, then extra points 5 "Sun/Moon", 6 "Nak-05, pada 2" and 7, whose name is
// longer than any column.
inline PointNames SmallNames() {
  PointNames n;
  n.names = {"", "Sun", "Moon", "Mars", "Ascendant", "Sun/Moon", "Nak-05, pada 2", "A point with a long, long name"};
  return n;
}

struct RowSpec {
  std::string moving, aspect, second, exact, pass, p, q, decl;
};

inline HitRow MakeRow(const RowSpec& s) {
  HitRow r;
  r[hit::MovingPoint] = s.moving;
  r[hit::Aspect] = s.aspect;
  r[hit::SecondPoint] = s.second;
  r[hit::ExactText] = s.exact;
  r[hit::Pass] = s.pass;
  r[hit::MovingPosition] = s.p;
  r[hit::SecondPosition] = s.q;
  r[hit::MovingSpeed] = "0.5";
  r[hit::SecondSpeed] = s.decl == "d" ? "" : "0";
  r[hit::ExactJulianDay] = "2460370.5";
  r[hit::Declination] = s.decl;
  return r;
}

// A table with row 0 unused, as the run keeps them.
inline std::vector<HitRow> MakeTable(const std::vector<RowSpec>& specs) {
  std::vector<HitRow> rows{HitRow{}};
  for (const RowSpec& s : specs) rows.push_back(MakeRow(s));
  return rows;
}

}  // namespace kesmora::test
