#pragma once
// The open and save dialog of a target list file, shared by the list editors, the File menu
// and the run.
#include "core/search/target_lists.h"

class QWidget;

namespace kesmora {
struct Session;
}

namespace kesmora::gui {

class FileDialogs;

enum class ListDialogMode { Open = 0, Save = 1 };

// Asks for the list's file, starting at its current file and folder. On OK the path becomes the
// list's current file and its folder the list directory; false when the user cancelled.
bool Get_list_filename(QWidget* parent, FileDialogs& dialogs, Session& session, ListKind kind, ListDialogMode mode);

}  // namespace kesmora::gui
