#pragma once
// Where each target list keeps its current file and folder, how its file dialog is worded,
// and which files a run still has to ask for.
#include "core/search/run_options.h"
#include "core/search/target_lists.h"
#include "core/settings/settings.h"

#include <string>
#include <vector>

namespace kesmora {

struct Session;

struct ListFileTexts {
  const char* extension;  // without the point: "mpn"
  const char* filter;     // "Midpoint Files - transit to natal (*.mpn)"
  const char* openTitle;
  const char* saveTitle;
};
const ListFileTexts& ListFileTextsOf(ListKind kind);

// The full path of the list's current file, empty when none was chosen.
std::string& CurrentListFile(Session& session, ListKind kind);
const std::string& CurrentListFile(const Session& session, ListKind kind);
// The folder the list's dialog opens in; the program directory when none is kept.
std::string ListDialogDirectory(const Session& session, ListKind kind);
// A path chosen in the dialog becomes the current file and its folder the list directory.
void ChooseListFile(Session& session, ListKind kind, const std::string& path);

// The lists a run with these options loads whose current file is not there, in loading order.
std::vector<ListKind> MissingListFiles(const Session& session, const RunOptions& options);

// Top and left of a list's editor window. Degree pairs and auspicious points have no editor.
WindowPos& ListWindowPosition(Settings& settings, ListKind kind);

}  // namespace kesmora
