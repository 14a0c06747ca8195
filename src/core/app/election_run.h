#pragma once
// An election over the run span of the window's choices: the events and the hits it needs, the
// intervals each item holds over, the ranked windows and the picture of the span, made on the
// caller's thread (a worker) from a copy of what the session holds.
#include "core/app/session.h"
#include "core/results/election_picture.h"
#include "core/search/aspectarian.h"
#include "core/search/election.h"

namespace kesmora {

struct ElectionRunInput {
  RunInput run;  // the span, the charts and the selection of "hits >= N"
  Election election;
  double minMinutes = kDefaultMinMinutes;
  EventOptions events;  // the void Moon by the traditional planets when the options say so
};

ElectionRunInput ElectionRunInputOf(const Session& session, const RunOptions& options, Election election);

// The stages an election reports its progress in, after those of the aspectarian run it may
// make for its hits.
namespace election_stage {
inline constexpr int Events = -10;
inline constexpr int Conditions = -11;
}  // namespace election_stage

// Prepares the ephemeris of the calling thread, evaluates the items and ranks the windows.
// Raises RunCancelled when the control says so, ElectionError where an item cannot be
// evaluated. The thread's ephemeris stays open for its caller to close.
ElectionPicture RunElection(const ElectionRunInput& input, const RunControl& control = {});

}  // namespace kesmora
