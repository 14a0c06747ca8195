#include "core/app/list_files.h"

#include "core/app/session.h"
#include "core/reference/format.h"
#include "core/search/aspectarian.h"

#include <stdexcept>

namespace kesmora {

namespace {

constexpr ListFileTexts kTexts[ListKinds] = {
    {"t2n", "Degree pair Files (*.t2n)", "Load .t2n transit to transit deg to natal deg file",
     "Save .t2n transit to transit deg to natal deg file"},
    {"apt", "Auspicious points Files (*.apt)", "Load .apt transit to auspicious points file",
     "Save .apt transit to auspicious points file"},
    {"nak", "Lunar mansion (Nakshatra) Files (*.nak)", "Load .nak transit to lunar mansion file",
     "Save .nak transit to lunar mansion file"},
    {"mpn", "Midpoint Files - transit to natal (*.mpn)", "Load .mpn transit to natal midpoints file",
     "Save .mpn transit to natal midpoints file"},
    {"mpt", "Midpoint Files - transit to transit (*.mpt)", "Load .mpt transit to transit midpoints file",
     "Save .mpt transit to transit midpoints file"},
    {"nmp", "Natal Midpoint Files (*.nmp)", "Load .nmp transit to natal midpoints file",
     "Save .nmp transit to natal midpoints file"},
};

// Session or const Session: the same members, writable or not.
template <typename SessionT>
auto& FileMember(SessionT& s, ListKind kind) {
  switch (kind) {
    case ListKind::DegreePairs: return s.degreePairFile;
    case ListKind::AuspiciousPoints: return s.settings.aptFilename;
    case ListKind::LunarMansions: return s.settings.nakFilename;
    case ListKind::MidpointsToNatal: return s.settings.mpnFilename;
    case ListKind::MidpointsToTransit: return s.settings.mptFilename;
    case ListKind::NatalMidpoints: return s.settings.nmpFilename;
  }
  throw std::invalid_argument("unknown list kind");
}

template <typename SessionT>
auto& DirectoryMember(SessionT& s, ListKind kind) {
  switch (kind) {
    case ListKind::DegreePairs: return s.degreePairPath;
    case ListKind::AuspiciousPoints: return s.settings.aptPath;
    case ListKind::LunarMansions: return s.settings.nakPath;
    case ListKind::MidpointsToNatal: return s.settings.mpnPath;
    case ListKind::MidpointsToTransit: return s.settings.mptPath;
    case ListKind::NatalMidpoints: return s.settings.nmpPath;
  }
  throw std::invalid_argument("unknown list kind");
}

}  // namespace

const ListFileTexts& ListFileTextsOf(ListKind kind) { return kTexts[static_cast<int>(kind) - 1]; }

std::string& CurrentListFile(Session& session, ListKind kind) { return FileMember(session, kind); }
const std::string& CurrentListFile(const Session& session, ListKind kind) { return FileMember(session, kind); }

std::string ListDialogDirectory(const Session& session, ListKind kind) {
  const std::string& directory = DirectoryMember(session, kind);
  return directory.empty() ? session.programDir.string() : directory;
}

void ChooseListFile(Session& session, ListKind kind, const std::string& path) {
  FileMember(session, kind) = path;
  SplitPath(path, DirectoryMember(session, kind));
}

std::vector<ListKind> MissingListFiles(const Session& session, const RunOptions& options) {
  std::vector<ListKind> missing;
  for (ListKind kind : ListsNeeded(options)) {
    const std::string& file = CurrentListFile(session, kind);
    if (file.empty() || !FileExists(file)) missing.push_back(kind);
  }
  return missing;
}

WindowPos& ListWindowPosition(Settings& settings, ListKind kind) {
  switch (kind) {
    case ListKind::LunarMansions: return settings.lunarMansionsForm;
    case ListKind::MidpointsToNatal: return settings.midpointsTtoN;
    case ListKind::MidpointsToTransit: return settings.midpointsTtoT;
    case ListKind::NatalMidpoints: return settings.midpointsTtoNmp;
    default: throw std::invalid_argument("this list has no editor window");
  }
}

}  // namespace kesmora
