#include "gui/search/list_file_dialog.h"

#include "gui/common/file_dialogs.h"
#include "core/app/session.h"
#include "core/app/list_files.h"

namespace kesmora::gui {

bool Get_list_filename(QWidget* parent, FileDialogs& dialogs, Session& session, ListKind kind, ListDialogMode mode) {
  const ListFileTexts& texts = ListFileTextsOf(kind);
  const bool saving = mode == ListDialogMode::Save;
  FileRequest request{saving ? texts.saveTitle : texts.openTitle,
                      QString::fromStdString(ListDialogDirectory(session, kind)),
                      QString::fromStdString(CurrentListFile(session, kind)), texts.filter, texts.extension};
  auto chosen = saving ? dialogs.SaveFileName(parent, request) : dialogs.OpenFileName(parent, request);
  if (!chosen) return false;
  ChooseListFile(session, kind, chosen->toStdString());
  return true;
}

}  // namespace kesmora::gui
