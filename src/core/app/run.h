#pragma once
// A run as the session starts and keeps it: its input from the window's choices, its hits
// and report kept in the session, their texts.
#include "core/app/session.h"
#include "core/results/results.h"
#include "core/search/aspectarian.h"

#include <string>
#include <vector>

namespace kesmora {

RunInput RunInputOf(const Session& session, const RunOptions& options);

// Keeps a finished run in the session and writes its report on a new page: its title, then
// the passes one by one.
void AdoptRunResult(Session& session, RunResult result);

// The title of a run as the report opens with it: the persons, the span, zodiac and houses and
// the orbs, as the session's settings and persons give them. The first line names the persons
// alone, as the printed pages repeat it.
std::vector<std::string> RunTitleLines(const Session& session);

// How the session's last run is written: names, date order, the transit person's local time.
HitTextContext RunTexts(const Session& session);
// The data grid of the session's last run.
std::vector<GridRow> RunGridRows(const Session& session);

}  // namespace kesmora
