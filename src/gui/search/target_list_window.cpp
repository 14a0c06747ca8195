#include "gui/search/target_list_window.h"

#include "core/app/session.h"
#include "gui/app/window_geometry.h"
#include "core/app/user_interface.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "gui/search/list_file_dialog.h"
#include "core/search/list_files.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace kesmora::gui {

struct ListEditorTexts {
  const char *objectName, *caption, *label1, *label2, *listName;
  const char *countPrefix, *countCaption, *filePrefix, *fileCaption;
};

namespace {


constexpr ListEditorTexts kMidpointsToNatal{
    "Midpoints_t_to_n", "Set transit midpoints to natal planets", "Transit Planet 1", "Transit Planet 2",
    "lstMidpoints", "Transit Midpoints = ", "Transit Midpoints", "Midpoint file: ", "Midpoint file:"};
constexpr ListEditorTexts kMidpointsToTransit{
    "Midpoints_t_to_t", "Set transit midpoints to transit planets", "Transit Planet 1", "Transit Planet 2",
    "lstMidpoints", "Transit Midpoints = ", "Transit Midpoints", "Midpoint file: ", "Midpoint file:"};
constexpr ListEditorTexts kNatalMidpoints{
    "Midpoints_t_to_nmp", "Set natal midpoints", "Natal Planet 1", "Natal Planet 2",
    "lstMidpoints", "Natal Midpoints = ", "Natal Midpoints", "Natal Midpoint file: ", "Natal Midpoint file:"};
constexpr ListEditorTexts kLunarMansions{
    "lunar_mansions_form", "Set transit planets in lunar mansions", "Transit Planet", "Lunar Mansion (Nakshatra)",
    "lstLunarMansions", "Lunar Mansions = ", "Lunar Mansions Selected", "Lunar mansions file: ", "Lunar mansions file:"};

const ListEditorTexts& TextsOf(ListKind kind) {
  switch (kind) {
    case ListKind::MidpointsToNatal: return kMidpointsToNatal;
    case ListKind::MidpointsToTransit: return kMidpointsToTransit;
    case ListKind::NatalMidpoints: return kNatalMidpoints;
    case ListKind::LunarMansions: return kLunarMansions;
    default: throw std::invalid_argument("this list has no editor window");
  }
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLabel* NewLabel(const char* objectName, const char* caption) {
  auto* label = new QLabel(caption);
  label->setObjectName(objectName);
  return label;
}

QListWidget* NewList(const char* objectName, QAbstractItemView::SelectionMode mode) {
  auto* list = new QListWidget;
  list->setObjectName(objectName);
  list->setSelectionMode(mode);
  return list;
}

QString SelectedText(const QListWidget* list) {
  const auto selected = list->selectedItems();
  return selected.isEmpty() ? QString() : selected.front()->text();
}

QListWidgetItem* FirstSelected(const QListWidget* list) {
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->isSelected()) return list->item(row);
  return nullptr;
}

}  // namespace

TargetListWindow::TargetListWindow(Session& session, UserInterface& ui, FileDialogs& dialogs, ListKind kind,
                                   QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window),
      session_(session),
      ui_(ui),
      dialogs_(dialogs),
      kind_(kind),
      texts_(TextsOf(kind)) {
  setObjectName(texts_.objectName);
  setWindowTitle(texts_.caption);
  BuildControls();
  resize(560, 420);
}

void TargetListWindow::BuildControls() {
  label1_ = NewLabel("Label1", texts_.label1);
  label2_ = NewLabel("Label2", texts_.label2);
  label3_ = NewLabel("Label3", texts_.countCaption);
  label4_ = NewLabel("Label4", texts_.fileCaption);
  lstP1_ = NewList("lstP1", QAbstractItemView::SingleSelection);
  lstP2_ = NewList("lstP2", QAbstractItemView::SingleSelection);
  entries_ = NewList(texts_.listName, QAbstractItemView::ExtendedSelection);

  auto* buttons = new QVBoxLayout;
  auto addButton = [this, buttons](const char* name, const char* caption, void (TargetListWindow::*handler)()) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, handler);
    buttons->addWidget(button);
  };
  addButton("cmdAdd", "Add", &TargetListWindow::cmdAdd_Click);
  addButton("cmdRemove", "Remove", &TargetListWindow::cmdRemove_Click);
  addButton("cmdClear", "Clear", &TargetListWindow::cmdClear_Click);
  buttons->addSpacing(12);
  addButton("cmdNew", "New", &TargetListWindow::cmdNew_Click);
  addButton("cmdLoad", "Load", &TargetListWindow::cmdLoad_Click);
  addButton("cmdSave", "Save", &TargetListWindow::cmdSave_Click);
  buttons->addStretch();

  auto* layout = new QGridLayout(this);
  layout->addWidget(label1_, 0, 0);
  layout->addWidget(label2_, 0, 1);
  layout->addWidget(label3_, 0, 2);
  layout->addWidget(lstP1_, 1, 0);
  layout->addWidget(lstP2_, 1, 1);
  layout->addWidget(entries_, 1, 2);
  layout->addLayout(buttons, 1, 3);
  layout->addWidget(label4_, 2, 0, 1, 4);
  layout->setColumnStretch(2, 1);
}

void TargetListWindow::Form_Load() {
  loading_ = true;
  const WindowPos& pos = ListWindowPosition(session_.settings, kind_);
  move(pos.left / kTwipsPerPixel, pos.top / kTwipsPerPixel);
  keeper_ = std::make_unique<GeometryKeeper>(this, [this] {
    if (loading_) return;
    WindowRect r = TwipsRectOf(this);
    ListWindowPosition(session_.settings, kind_) = {r.top, r.left};
  });
  FillPickLists();
  show();
  loading_ = false;
}

void TargetListWindow::FillPickLists() {
  const ReferenceTables& tables = session_.tables;
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) lstP1_->addItem(Q(tables.Planet(i).name));
  if (kind_ == ListKind::LunarMansions) {
    for (const std::string& pada : PadaTexts()) lstP2_->addItem(Q(pada));
  } else {
    for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) lstP2_->addItem(Q(tables.Planet(i).name));
  }
}

std::vector<std::string> TargetListWindow::Entries() const {
  std::vector<std::string> entries;
  for (int row = 0; row < entries_->count(); ++row) entries.push_back(entries_->item(row)->text().toStdString());
  return entries;
}

void TargetListWindow::ShowCount() { label3_->setText(texts_.countPrefix + QString::number(entries_->count())); }

void TargetListWindow::ShowFileName() {
  std::string directory;
  label4_->setText(texts_.filePrefix + Q(SplitPath(CurrentListFile(session_, kind_), directory)));
}

void TargetListWindow::cmdAdd_Click() {
  const QString first = SelectedText(lstP1_), second = SelectedText(lstP2_);
  if (first.isEmpty() || second.isEmpty()) return;
  // A lunar mansion entry names the pada first.
  const QString entry = kind_ == ListKind::LunarMansions ? second + "/" + first : first + "/" + second;
  if (!entries_->findItems(entry, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) return;
  entries_->addItem(entry);
  ShowCount();
}

void TargetListWindow::cmdRemove_Click() {
  while (QListWidgetItem* item = FirstSelected(entries_)) {
    delete entries_->takeItem(entries_->row(item));
    ShowCount();
  }
}

void TargetListWindow::cmdClear_Click() {
  entries_->clear();
  ShowCount();
}

void TargetListWindow::cmdLoad_Click() {
  if (!Get_list_filename(this, dialogs_, session_, kind_, ListDialogMode::Open)) return;
  Read_list_file_contents();
}

void TargetListWindow::Read_list_file_contents() {
  entries_->clear();
  const std::string& file = CurrentListFile(session_, kind_);
  if (!FileExists(file)) return;
  for (const std::string& line : ReadLines(file).value_or(std::vector<std::string>{})) entries_->addItem(Q(line));
  ShowCount();
  ShowFileName();
}

void TargetListWindow::cmdSave_Click() {
  if (!Get_list_filename(this, dialogs_, session_, kind_, ListDialogMode::Save)) return;
  if (WriteCurrentFile(Entries())) ShowFileName();
}

void TargetListWindow::cmdNew_Click() {
  CurrentListFile(session_, kind_).clear();
  if (!Get_list_filename(this, dialogs_, session_, kind_, ListDialogMode::Save)) return;
  WriteCurrentFile({});
}

bool TargetListWindow::WriteCurrentFile(const std::vector<std::string>& entries) {
  const std::string& file = CurrentListFile(session_, kind_);
  WriteResult written = WriteFileAtomically(file, JoinCrlf(entries));
  if (written) return true;
  ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(file, written)});
  return false;
}


}  // namespace kesmora::gui
