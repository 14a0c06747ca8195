#pragma once
// The save and open file dialogs, behind an interface so that tests can answer them.
#include <QString>

#include <optional>

class QWidget;

namespace kesmora::gui {

struct FileRequest {
  QString title;
  QString directory;      // where the dialog starts
  QString fileName;       // proposed name, or a full path
  QString filter;         // "Data output files (*.csv)"
  QString defaultSuffix;  // added when the user types no extension
  bool confirmOverwrite = true;  // false: the caller asks before it replaces a file
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen path; nothing when the user cancelled. Saving asks before overwriting, unless
  // the request leaves that to its caller.
  virtual std::optional<QString> SaveFileName(QWidget* parent, const FileRequest& request) = 0;
  virtual std::optional<QString> OpenFileName(QWidget* parent, const FileRequest& request) = 0;
};

class QtFileDialogs : public FileDialogs {
 public:
  std::optional<QString> SaveFileName(QWidget* parent, const FileRequest& request) override;
  std::optional<QString> OpenFileName(QWidget* parent, const FileRequest& request) override;
};

}  // namespace kesmora::gui
