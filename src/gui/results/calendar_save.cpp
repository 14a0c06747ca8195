#include "gui/results/calendar_save.h"

#include "core/app/run.h"
#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "core/results/calendar.h"
#include "gui/common/file_dialogs.h"

#include <QDateTime>

#include <filesystem>

namespace kesmora::gui {

void SaveRunAsCalendar(QWidget* parent, FileDialogs& dialogs, Session& session, UserInterface& ui) {
  namespace fs = std::filesystem;
  fs::path proposed = session.calendarFile.empty()
                          ? fs::path(session.settings.csvPath.empty() ? session.programDir.string()
                                                                      : session.settings.csvPath) /
                                FileNameOf(session.person1.name, ".ics")
                          : fs::path(session.calendarFile);
  FileRequest request{QString::fromUtf8("Save as calendar"), QString::fromStdString(proposed.parent_path().string()),
                      QString::fromStdString(proposed.filename().string()), "Calendar files (*.ics)", "ics"};
  auto chosen = dialogs.SaveFileName(parent, request);
  if (!chosen) return;
  const std::string file = chosen->toStdString();
  ui.SetBusy(true);
  const HitTextContext texts = RunTexts(session);
  WriteResult written = WriteFileAtomically(file, [&](const TextSink& out) {
    WriteCalendar(out, session.run, texts, session.chart.natalJulianDay, QDateTime::currentSecsSinceEpoch());
  });
  ui.SetBusy(false);
  if (!written) {
    ui.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(file, written)});
    return;
  }
  session.calendarFile = file;
}

}  // namespace kesmora::gui
