#include "gui/settings/selection_menu.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/reference/format.h"
#include "core/settings/selection_file.h"
#include "gui/common/file_dialogs.h"

#include <filesystem>

namespace kesmora::gui {

std::optional<std::string> Get_OPT_file_filename(QWidget* parent, FileDialogs& dialogs, Session& session,
                                                 int loadSave, UserInterface* ui) {
  Settings& s = session.settings;
  const bool saving = loadSave != 0;
  const QString title = saving ? "Save settings file" : "Load settings file";
  FileRequest request{title, QString::fromStdString(s.optPath.empty() ? session.programDir.string() : s.optPath),
                      QString::fromStdString(s.optFilename), "Settings Files (*.opt)", "opt"};
  // A save may not replace the program's own files: that is said before any question to replace.
  request.confirmOverwrite = !(saving && ui);
  auto chosen = saving ? dialogs.SaveFileName(parent, request) : dialogs.OpenFileName(parent, request);
  if (!chosen) return std::nullopt;
  const std::string file = chosen->toStdString();
  if (!request.confirmOverwrite) {
    if (auto refusal = ProgramFileRefusal(file, session.programDir)) {
      ui->ShowMessage({MessageIcon::Warning, "Warning!", *refusal});
      return std::nullopt;
    }
    std::error_code ec;
    if (std::filesystem::exists(file, ec) &&
        ui->Ask({QuestionButtons::YesNo, title.toStdString(), file + " already exists.\nDo you want to replace it?"}) !=
            Answer::Yes)
      return std::nullopt;
  }
  s.optFilename = file;
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
  auto file = Get_OPT_file_filename(parent, dialogs, session, 1, &ui);
  if (!file) return;
  ui.SetBusy(true);
  WriteResult written = WriteSelectionFile(session.settings, session.tables, *file);
  ui.SetBusy(false);
  if (!written) ui.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(*file, written)});
}

}  // namespace kesmora::gui
