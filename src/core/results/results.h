#pragma once
// What a run shows: the text report of each pass, the rows of the data grid, the CSV export.
#include "core/reference/format.h"
#include "core/reference/reference_tables.h"
#include "core/search/aspect_search.h"
#include "core/search/hit_table.h"
#include "core/search/target_lists.h"

#include <array>
#include <string>
#include <vector>

namespace kesmora {

// Names of point indexes: the planet names, then the extra points of the target lists.
struct PointNames {
  std::vector<std::string> names;  // index 0 unused
  const std::string& Of(int index) const;
};
PointNames PointNamesOf(const ReferenceTables& tables, const ExtraPoints* extra = nullptr);

// The report block of one pass: a heading, then one line per hit with a blank line before
// each new day.
std::string ReportPassHits(const std::vector<HitRow>& rows, int count, int pass, const PointNames& names,
                           const ReferenceTables& tables, DateOrder order);
const char* PassHeading(int pass);

// Lunar mansion (1..27) and pada (1..4) of a longitude.
int MansionNumber(double longitude);
int PadaNumber(double longitude);

inline constexpr int GridColumns = 14;
using GridRow = std::array<std::string, GridColumns>;
inline constexpr const char* GridHeaders[GridColumns] = {
    "#", "Type", "T. Planet", "Exact T. Position", "LM", "Q", "Asp", "P2 Planet", "Exact P2 Position",
    "LM", "Q", "Start Period", "Exact Date and Time", "End Period"};
inline constexpr bool GridCentred[GridColumns] = {true, true, false, false, true, true, true,
                                                  false, false, true, true, true, true, true};
inline constexpr int GridWidthsTwips[GridColumns] = {420, 840, 1770, 1440, 420, 420, 540,
                                                     1470, 1440, 420, 420, 1830, 1830, 1830};
namespace grid {
inline constexpr int StartPeriod = 11, EndPeriod = 13;
}

// The data grid's rows for run rows 1..count, periods filled where `periods` has them.
std::vector<GridRow> GridRowsOf(const std::vector<HitRow>& rows, int count, const PointNames& names,
                                const ReferenceTables& tables,
                                const std::vector<AspectSearch::Periods>& periods = {});

// Grid columns 1 to 13 of every row, each in double quotes with any quote inside doubled,
// comma-separated, CR LF ended.
std::string CsvText(const std::vector<GridRow>& rows);

}  // namespace kesmora
