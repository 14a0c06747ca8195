#include "gui/settings/selection_menu.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/reference/format.h"
#include "core/settings/selection_file.h"
#include "gui/app/file_dialogs.h"

#include <filesystem>

namespace kesmora::gui {

std::optional<std::string> Get_OPT_file_filename(QWidget* parent, FileDialogs& dialogs, Session& session,
                                                 int loadSave) {
  Settings& s = session.settings;
  const bool saving = loadSave != 0;
  FileRequest request{saving ? "Save settings file" : "Load settings file",
                      QString::fromStdString(s.optPath.empty() ? session.programDir.string() : s.optPath),
                      QString::fromStdString(s.optFilename), "Settings Files (*.opt)", "opt"};
  auto chosen = saving ? dialogs.SaveFileName(parent, request) : dialogs.OpenFileName(parent, request);
  if (!chosen) return std::nullopt;
  s.optFilename = chosen->toStdString();
  s.optPath = std::filesystem::path(s.optFilename).parent_path().string();
  return s.optFilename;
}

bool LoadSelectionFile(QWidget* parent, FileDialogs& dialogs, Session& session, UserInterface& ui) {
  auto file = Get_OPT_file_filename(parent, dialogs, session, 0);
  if (!file || !FileExists(*file)) return false;
  SelectionLoad load = ReadSelectionFile(session.settings, *file);
  if (!load) ui.ShowMessage({MessageIcon::Warning, "Warning!", SelectionLoadError(load, *file)});
  return static_cast<bool>(load);
}

void SaveSelectionFile(QWidget* parent, FileDialogs& dialogs, Session& session, UserInterface& ui) {
  auto file = Get_OPT_file_filename(parent, dialogs, session, 1);
  if (!file) return;
  ui.SetBusy(true);
  WriteResult written = WriteSelectionFile(session.settings, session.tables, *file);
  ui.SetBusy(false);
  if (!written) ui.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(*file, written)});
}

}  // namespace kesmora::gui
