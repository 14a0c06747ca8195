#pragma once
// The extra target lists of a run: degree pairs, auspicious points, lunar mansions and the
// three midpoint lists, turned into extra points behind the planet indexes.
#include "core/chart/chart_calculator.h"
#include "core/reference/reference_tables.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

struct ExtraPoints {
  std::vector<ExtraPoint> points;  // point index NumPlanetsUsed + r at points[r - 1]
  std::array<int, ListKinds + 1> count{};  // E1..E6 by ListKind; index 0 unused
  std::vector<double> natalMidpointLon, natalMidpointSpeed;  // by point, from 0
  // One message per row of a list file that was left out (file, line number, line, why).
  // The loaders run on the run's worker thread and show nothing themselves.
  std::vector<std::string> notices;

  int Total() const { return static_cast<int>(points.size()); }
  // Point index of the first point of a kind.
  int FirstIndex(ListKind kind, int numPlanetsUsed) const;
  // The point of an index above the planets; nullptr for any other index.
  const ExtraPoint* Point(int index, int numPlanetsUsed) const;
};

// The exact display name among the planets, -1 when none has it.
int PlanetIndexByName(const ReferenceTables& tables, const std::string& name);

// Each loader appends the points of its file behind those already loaded; a missing file
// adds nothing. The degree pairs, always loaded first, start the table afresh. A row that
// cannot be a point (no "/", an unknown planet, a degree or pada that does not exist) is
// left out with a notice; blank lines are no rows.
void LoadDegreePairs(ExtraPoints& extra, const std::filesystem::path& file);
void LoadAuspiciousPoints(ExtraPoints& extra, const std::filesystem::path& file, const ReferenceTables& tables);
void LoadLunarMansions(ExtraPoints& extra, const std::filesystem::path& file, const ReferenceTables& tables);
void LoadMidpoints(ExtraPoints& extra, ListKind kind, const std::filesystem::path& file, const ReferenceTables& tables);
// The same for the text of a list file; `fileName` names it in the notices.
void LoadTargetListText(ExtraPoints& extra, ListKind kind, std::string_view fileName, std::string_view text,
                        const ReferenceTables& tables);

// Longitude and speed of every midpoint point at the natal moment and place.
void ComputeNatalMidpoints(ExtraPoints& extra, ChartCalculator& calc, double natalJulianDay, int numPlanetsUsed);

// "Nak-01, pada 1" ... "Nak-27, pada 4".
std::vector<std::string> PadaTexts();

// The six list files of a run; an empty path loads nothing.
struct TargetListFiles {
  std::array<std::filesystem::path, ListKinds + 1> file;  // by ListKind
};

}  // namespace kesmora
