// The main window's persons: "Now", the names list and its files, saving a block, the atlas,
// and the transit moment the hits graph sends.
#include "gui/app/main_window.h"

#include "core/app/names_commands.h"
#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "gui/app/person_block.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/text.h"
#include "gui/persons/atlas_window.h"
#include "gui/persons/name_edit.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QShortcut>

namespace kesmora::gui {

void MainWindow::ConnectPersonBlocks() {
  connect(p1_, &PersonBlock::nowClicked, this, &MainWindow::cmdNow_Click);
  connect(p2_, &PersonBlock::nowClicked, this, &MainWindow::cmdDiurnalNow_Click);
  connect(p1_, &PersonBlock::saveClicked, this, &MainWindow::cmdSave_Click);
  connect(p2_, &PersonBlock::saveClicked, this, &MainWindow::cmdDiurnalSave_Click);
  connect(p1_, &PersonBlock::atlasClicked, this, &MainWindow::cmdACS_Atlas_Click);
  connect(p2_, &PersonBlock::atlasClicked, this, &MainWindow::cmdDiurnalACS_Atlas_Click);
  // "Save As" of the data window proposes a file name from what the name field holds now.
  connect(p1_, &PersonBlock::nameEdited, this, [this](const QString& text) { session_.person1.name = ToStdString(text); });
  connect(p2_, &PersonBlock::nameEdited, this, [this](const QString& text) { session_.person2.name = ToStdString(text); });
  for (PersonBlock* block : {p1_, p2_}) connect(block, &PersonBlock::edited, this, &MainWindow::UpdatePlanetDataMark);
  // Shift with the Person 1 key fills Person 2.
  auto* diurnalNow = new QShortcut(QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_N), this);
  connect(diurnalNow, &QShortcut::activated, this, &MainWindow::cmdDiurnalNow_Click);
}

const Atlas& MainWindow::AtlasData() {
  if (!atlas_) {
    ui_.SetBusy(true);
    std::string error;
    atlas_ = std::make_shared<const Atlas>(Atlas::Shipped(&error));
    ui_.SetBusy(false);
    if (!error.empty()) ui_.ShowMessage({MessageIcon::Warning, "Error!", error});
  }
  return *atlas_;
}

ZoneClock MainWindow::HomeNow() { return NowAtHome(session_, AtlasData(), clock_()); }

void MainWindow::cmdNow_Click() {
  FieldsFromBlock(Person::One);
  FillWithNow(session_.person1, Person::One, HomeNow(), session_.optionValues);
  BlockFromFields(Person::One);
}

void MainWindow::cmdDiurnalNow_Click() {
  FieldsFromBlock(Person::Two);
  FillWithNow(session_.person2, Person::Two, HomeNow(), session_.optionValues);
  BlockFromFields(Person::Two);
}

void MainWindow::Load_names_list() {
  namesOnFile_->clear();
  LoadNamesList(session_, ui_);
  ShowNamesList();
}

void MainWindow::ShowNamesList() {
  namesOnFile_->setUpdatesEnabled(false);
  namesOnFile_->clear();
  for (const NamesRecord& r : session_.names.records) namesOnFile_->addItem(ToQString(r.name));
  namesOnFile_->setUpdatesEnabled(true);
  lblNamesOnFile_->setText(ToQString(NamesFileLabel(CurrentNamesFile(session_).string())));
}

std::string MainWindow::Get_FIL_file_filename(const QString& pattern) {
  // The platform's dialog, in the program directory, the current names file chosen; the
  // pattern in capitals and in small letters, as names files come both ways.
  const QString current = ToQString(CurrentNamesFile(session_).string());
  FileRequest request{"Select a File", ToQString(session_.programDir.string()), current,
                      QString("Data Files (%1 %2)").arg(pattern, pattern.toLower()), ""};
  const std::optional<QString> chosen = files_->OpenFileName(this, request);
  return chosen ? ToStdString(*chosen) : std::string();
}

void MainWindow::SavePersonBlock(Person person) {
  FieldsFromBlock(person);
  const std::optional<NamesRecord> record = RecordToSave(session_, person, ui_);
  if (!record) return;
  const std::string target = Get_FIL_file_filename("*.FIL");
  if (target.empty()) return;
  NamesFileSteps steps;
  SavePerson(session_, *record, target, ui_, steps);
  ShowNamesList();
}

void MainWindow::cmdSave_Click() { SavePersonBlock(Person::One); }
void MainWindow::cmdDiurnalSave_Click() { SavePersonBlock(Person::Two); }

void MainWindow::cmdChangeList_Click() {
  const std::string chosen = Get_FIL_file_filename("*.FIL");
  if (chosen.empty()) return;
  ChangeNamesList(session_, chosen, ui_);
  ShowNamesList();
}

void MainWindow::cmdEditList_Click() {
  auto* editor = new NameEdit(CurrentNamesFile(session_), ui_, this);
  connect(editor, &NameEdit::quit, this, &MainWindow::Load_names_list);
  editor->setModal(false);
  editor->show();
}

void MainWindow::LookUpPlace(Person person) {
  FieldsFromBlock(person);
  PersonFields& fields = Fields(person);
  const std::optional<LocalMoment> moment = MomentOfBlock(fields);
  if (!moment) {
    // The zone in force depends on the date and time, so they must be a real moment.
    ui_.ShowMessage({MessageIcon::Information, "Warning!",
                     std::string(person == Person::One ? NatalInputError : DiurnalInputError) +
                         " The atlas needs a valid date and time."});
    return;
  }
  AtlasWindow window(AtlasData(), fields, *moment, ui_, this);
  window.exec();
  if (!window.Result()) return;  // closed without a lookup: the block stays as it is
  if (CopyAtlasAnswer(*window.Result(), fields)) BlockFromFields(person);
}

void MainWindow::cmdACS_Atlas_Click() { LookUpPlace(Person::One); }
void MainWindow::cmdDiurnalACS_Atlas_Click() { LookUpPlace(Person::Two); }

void MainWindow::LoadPersonFromList(int row) {
  if (row < 0) return;
  Person person = optPerson1_->isChecked() ? Person::One : Person::Two;
  FieldsFromBlock(person);
  LoadPerson(session_, person, row, ui_);
  BlockFromFields(person);
}

void MainWindow::NamesOnFile_Click() {
  QListWidgetItem* item = namesOnFile_->currentItem();
  if (!item) return;
  LoadPersonFromList(session_.names.Find(ToStdString(item->text())));
}

void MainWindow::NamesOnFile_DblClick() {
  NamesOnFile_Click();
  cmdCalculate_Click();
}

void MainWindow::SetTransitMoment(const CivilDate& date, int hour, int minute) {
  p2_->Apply([&](PersonFields& f) {
    f.month = std::to_string(date.month);
    f.day = std::to_string(date.day);
    f.year = std::to_string(date.year);
    f.half = hour >= 12 ? HalfDay::PM : HalfDay::AM;
    f.hour = std::to_string(hour);  // the hour rule turns 13..23 into 1..11 PM and 0 into 12
    f.minute = std::to_string(minute);
  });
  cmdCalculate_Click();
}

}  // namespace kesmora::gui
