#pragma once
// The user's notices of what the ephemeris could not do during a calculation or a run.
#include "core/chart/chart_calculator.h"
#include "core/reference/reference_tables.h"

#include <string>
#include <vector>

namespace kesmora {

// One notice per body that could not be computed, one for the analytical stand-in, one per
// replaced house system; empty when there were no problems.
std::vector<std::string> EphemerisNotices(const EphemerisProblems& problems, const ReferenceTables& tables);

}  // namespace kesmora
