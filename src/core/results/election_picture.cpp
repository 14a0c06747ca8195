#include "core/results/election_picture.h"

#include "core/reference/constants.h"

#include <date/date.h>

#include <algorithm>
#include <cmath>

namespace kesmora {

namespace {

// A moment a ten-thousandth of a second before a minute's start still counts as that minute:
// the rounding of Julian days, not a moment of its own.
constexpr double kMinuteSlack = 1e-6;

// The void Moon and the retrograde periods within the picture's days, in days from its first
// midnight.
std::vector<PictureBand> BandsOf(const std::vector<Event>& events, double firstMidnightJd, int days) {
  std::vector<PictureBand> bands;
  const double end = firstMidnightJd + days;
  for (const Event& e : events) {
    if (e.kind != EventKind::Void && e.kind != EventKind::Retrograde) continue;
    if (e.endJd <= firstMidnightJd || e.startJd >= end) continue;
    PictureBand band;
    band.kind = e.kind == EventKind::Void ? PictureBand::Kind::Void : PictureBand::Kind::Retrograde;
    band.body = e.body;
    band.fromDay = std::max(e.startJd, firstMidnightJd) - firstMidnightJd;
    band.toDay = std::min(e.endJd, end) - firstMidnightJd;
    bands.push_back(band);
  }
  return bands;
}

}  // namespace

double ElectionPicture::MinuteJd(int day, int minute) const {
  return firstMidnightJd + (static_cast<double>(day) * kPictureMinutesPerDay + minute) / kPictureMinutesPerDay;
}

bool ElectionPicture::MinuteOf(double jd, int& day, int& minute) const {
  const double m = std::floor((jd - firstMidnightJd) * kPictureMinutesPerDay + kMinuteSlack);
  if (!(m >= 0 && m < static_cast<double>(days) * kPictureMinutesPerDay)) return false;
  const long long whole = static_cast<long long>(m);
  day = static_cast<int>(whole / kPictureMinutesPerDay);
  minute = static_cast<int>(whole % kPictureMinutesPerDay);
  return true;
}

int ElectionPicture::WindowAt(int day, int minute) const {
  const double jd = MinuteJd(day, minute);
  for (size_t k = 0; k < windows.size(); ++k)
    if (Contains({windows[k].interval}, jd)) return static_cast<int>(k);
  return -1;
}

std::vector<int> ElectionPicture::ItemsAt(int day, int minute) const {
  const double jd = MinuteJd(day, minute);
  std::vector<int> out;
  for (size_t k = 0; k < held.size(); ++k)
    if (Contains(held[k], jd)) out.push_back(static_cast<int>(k));
  return out;
}

std::vector<RowStretch> ElectionPicture::RowStretches(double fromDay, double toDay) const {
  std::vector<RowStretch> out;
  fromDay = std::max(fromDay, 0.0);
  toDay = std::min(toDay, static_cast<double>(days));
  for (int d = static_cast<int>(std::floor(fromDay)); d < days && d < toDay; ++d) {
    const int from = static_cast<int>(std::lround(std::max(fromDay - d, 0.0) * kPictureMinutesPerDay));
    const int to = static_cast<int>(std::lround(std::min(toDay - d, 1.0) * kPictureMinutesPerDay));
    if (to > from) out.push_back({d, from, to});
  }
  return out;
}

ElectionPicture BuildElectionPicture(const Election& election, std::vector<IntervalSet> held,
                                     std::vector<ElectionWindow> windows, Interval span, double timeZoneHours,
                                     const std::vector<Event>* events) {
  ElectionPicture p;
  p.timeZoneHours = timeZoneHours;
  p.span = span;
  // Local Julian days start at noon: the local midnight at or before the span's start.
  const double zoneDays = timeZoneHours / 24.0;
  const double localMidnight = std::floor(span.startJd - zoneDays - 0.5 + kMinuteSlack / kPictureMinutesPerDay) + 0.5;
  p.firstMidnightJd = localMidnight + zoneDays;
  const auto ymd = date::year_month_day{date::sys_days{
      date::days{static_cast<long long>(localMidnight + 0.5) - kJulianDayOf1970}}};
  p.firstDate = {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                 static_cast<int>(static_cast<unsigned>(ymd.day()))};
  p.days = std::max(1, static_cast<int>(std::ceil((span.endJd - p.firstMidnightJd) - kMinuteSlack / kPictureMinutesPerDay)));
  const size_t minutes = static_cast<size_t>(p.days) * kPictureMinutesPerDay;

  // The minutes whose start lies in [startJd, endJd), as a range of indexes.
  auto range = [&](const Interval& i) {
    auto at = [&](double jd) {
      const double m = std::ceil((jd - p.firstMidnightJd) * kPictureMinutesPerDay - kMinuteSlack);
      return static_cast<size_t>(std::clamp(m, 0.0, static_cast<double>(minutes)));
    };
    return std::pair{at(i.startJd), at(i.endJd)};
  };

  // Allowed: within the span, every required item and no avoided one.
  IntervalSet allowed{span};
  for (size_t k = 0; k < election.items.size() && k < held.size(); ++k) {
    if (election.items[k].role == Role::Required) allowed = Intersection(allowed, held[k]);
    if (election.items[k].role == Role::Avoided) allowed = Minus(allowed, held[k]);
  }
  p.state.assign(minutes, MinuteState::OutsideSpan);
  auto [spanFrom, spanTo] = range(span);
  std::fill(p.state.begin() + static_cast<long>(spanFrom), p.state.begin() + static_cast<long>(spanTo),
            MinuteState::RuledOut);
  for (const Interval& i : allowed) {
    auto [from, to] = range(i);
    std::fill(p.state.begin() + static_cast<long>(from), p.state.begin() + static_cast<long>(to), MinuteState::Allowed);
  }

  // The preferred weights, one difference array over all the minutes.
  std::vector<double> change(minutes + 1, 0.0);
  for (size_t k = 0; k < election.items.size() && k < held.size(); ++k) {
    if (election.items[k].role != Role::Preferred) continue;
    for (const Interval& i : held[k]) {
      auto [from, to] = range(i);
      if (from >= to) continue;
      change[from] += election.items[k].weight;
      change[to] -= election.items[k].weight;
    }
  }
  p.score.resize(minutes);
  double running = 0;
  for (size_t m = 0; m < minutes; ++m) {
    running += change[m];
    // Sums of weights: a difference of near zero is zero.
    const double value = std::abs(running) < 1e-9 ? 0.0 : running;
    p.score[m] = static_cast<float>(value);
    if (p.state[m] == MinuteState::Allowed) p.maxScore = std::max(p.maxScore, value);
  }

  if (events) p.bands = BandsOf(*events, p.firstMidnightJd, p.days);
  p.election = election;
  p.held = std::move(held);
  p.windows = std::move(windows);
  return p;
}

}  // namespace kesmora
