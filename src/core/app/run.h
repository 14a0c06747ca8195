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

// What the window shows of a finished run, made on the run's own thread: the report block of
// each pass, the rows of the data grid and what they sort by. The control hears the progress
// as the stage run_stage::Texts and may cancel between hits (RunCancelled).
struct RunShown {
  std::vector<std::string> report;
  std::vector<GridRow> grid;
  std::vector<GridKeys> keys;
};
RunShown ShownRunOf(const RunInput& input, const RunResult& run, const RunControl& control = {});

// Keeps a finished run in the session and writes its report on a new page: its title, then
// the blocks of its passes one by one.
void AdoptRunResult(Session& session, RunResult result, std::vector<std::string> report);
// Keeps a finished run in the session, to be written out as it is needed.
void KeepRunResult(Session& session, RunResult result);

// The title of a run as the report opens with it: the persons, the span, zodiac and houses and
// the orbs, as the session's settings and persons give them. The first line names the persons
// alone, as the printed pages repeat it.
std::vector<std::string> RunTitleLines(const Session& session);

// How the session's last run is written: names, date order, the transit person's local time.
HitTextContext RunTexts(const Session& session);
// The data grid of the session's last run.
std::vector<GridRow> RunGridRows(const Session& session);

}  // namespace kesmora
