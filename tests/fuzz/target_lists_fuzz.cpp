// The target lists of a run: the first byte picks the kind, the rest is the file. Every
// non-blank row becomes a point or a notice, and every point lies on the circle.
#include "fuzz_support.h"

#include "core/reference/text.h"
#include "core/search/target_lists.h"

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ReferenceTables& tables = fuzz::ShippedTables();
  if (size == 0) return 0;
  const auto kind = static_cast<ListKind>(data[0] % ListKinds + 1);
  const std::string text = fuzz::Text(data + 1, size - 1);
  ExtraPoints extra;
  LoadTargetListText(extra, kind, "fuzz.lst", text, tables);

  size_t rows = 0;
  for (const std::string& line : SplitLines(text))
    if (!Trim(line).empty()) ++rows;
  KESMORA_REQUIRE(static_cast<size_t>(extra.Total()) + extra.notices.size() == rows);
  for (const ExtraPoint& point : extra.points) {
    KESMORA_REQUIRE(point.kind == kind);
    if (std::optional<double> lon = point.FixedLonDeg()) KESMORA_REQUIRE(*lon >= 0 && *lon < 360);
    if (const auto* pair = std::get_if<DegreePair>(&point.data))
      KESMORA_REQUIRE(pair->natalDeg > 0 && pair->natalDeg < 360);
  }
  return 0;
}
