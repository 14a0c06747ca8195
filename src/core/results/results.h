#pragma once
// What a run shows: the text report of each pass, the rows of the data grid, the CSV export.
// The hits are numbers; their texts are made here.
#include "core/reference/format.h"
#include "core/reference/reference_tables.h"
#include "core/reference/text.h"
#include "core/search/hit.h"
#include "core/search/hit_table.h"
#include "core/search/target_lists.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

struct RunResult;

// Names of point indexes: the planet names, then the extra points of the target lists.
struct PointNames {
  std::vector<std::string> names;  // index 0 unused
  const std::string& Of(int index) const;
};
PointNames PointNamesOf(const ReferenceTables& tables, const ExtraPoints* extra = nullptr);

// What turns a run's hits into texts.
struct HitTextContext {
  const ReferenceTables* tables = nullptr;
  const ExtraPoints* extra = nullptr;
  PointNames names;
  DateOrder dateOrder = DateOrder::MonthDayYear;
  double timeZoneHours = 0;  // of the transit person, west positive: the times are local
};
HitTextContext HitTextsOf(const ReferenceTables& tables, const ExtraPoints& extra, DateOrder order,
                          double timeZoneHours);

// "dd/mm/yyyy hh:nn:ss" (in the date order) of a moment in the transit person's local time.
std::string MomentText(double jd, const HitTextContext& context);
// The point a hit meets, as shown: a name, or a degree pair's natal degree as its list gives it.
std::string SecondPointText(const Hit& hit, const HitTextContext& context);

// The report block of one pass: a heading, then one line per hit with a blank line before
// each new day; written to the sink line by line, or made as one text.
void WritePassReport(const TextSink& out, const HitsInOrder& hits, Pass pass, const HitTextContext& context);
std::string ReportPassHits(const std::vector<Hit>& hits, Pass pass, const HitTextContext& context);
// The blocks of every pass of a run, each followed by a line end.
void WriteRunReport(const TextSink& out, const RunResult& run, const HitTextContext& context);
const char* PassHeading(Pass pass);

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

// The data grid's rows, periods filled where the hits have them; `number` counts from 1.
GridRow GridRowOf(const Hit& hit, int number, const HitTextContext& context);
std::vector<GridRow> GridRowsOf(const std::vector<Hit>& hits, const HitTextContext& context);

// What each cell of the data grid sorts by: the number it shows (row number, positions, lunar
// mansion and pada, the aspect's index, moments as Julian days), or NaN where the cell sorts by
// its text or is empty.
using GridKeys = std::array<double, GridColumns>;
GridKeys GridSortKeyOf(const Hit& hit, int number);
std::vector<GridKeys> GridSortKeysOf(const std::vector<Hit>& hits);

// One cell of the CSV export: in double quotes, any quote inside doubled, in UTF-8.
std::string CsvCell(std::string_view text);
void AppendCsvCell(std::string& out, std::string_view text);
// Grid columns 1 to 13 of a row as CSV cells, comma-separated, CR LF ended.
void AppendCsvLine(std::string& out, const GridRow& row);
// The same for every row.
std::string CsvText(const std::vector<GridRow>& rows);
// The CSV lines of the grid of these hits, written line by line.
void WriteCsv(const TextSink& out, const std::vector<Hit>& hits, const HitTextContext& context);

}  // namespace kesmora
