#include "gui/common/file_dialogs.h"

#include <QFileDialog>

namespace kesmora::gui {

namespace {

std::optional<QString> Ask(QWidget* parent, const FileRequest& request, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, request.title, request.directory, request.filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace

std::optional<QString> QtFileDialogs::SaveFileName(QWidget* parent, const FileRequest& request) {
  return Ask(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtFileDialogs::OpenFileName(QWidget* parent, const FileRequest& request) {
  return Ask(parent, request, QFileDialog::AcceptOpen);
}

}  // namespace kesmora::gui
