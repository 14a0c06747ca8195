#include "gui/search/target_list_window.h"

#include "core/app/session.h"
#include "gui/common/window_geometry.h"
#include "core/app/user_interface.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "gui/search/list_file_dialog.h"
#include "core/app/list_files.h"
#include "gui/common/text.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QCloseEvent>
#include <QVBoxLayout>

#include <algorithm>
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
  addButton("cmdAdd", "&Add", &TargetListWindow::cmdAdd_Click);
  addButton("cmdRemove", "&Remove", &TargetListWindow::cmdRemove_Click);
  addButton("cmdClear", "&Clear", &TargetListWindow::cmdClear_Click);
  buttons->addSpacing(12);
  addButton("cmdNew", "&New", &TargetListWindow::cmdNew_Click);
  addButton("cmdLoad", "&Load", &TargetListWindow::cmdLoad_Click);
  addButton("cmdSave", "&Save", &TargetListWindow::cmdSave_Click);
  buttons->addStretch();
  // Delete removes the selected entries, as "Remove" does.
  auto* remove = new QShortcut(QKeySequence::Delete, entries_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(remove, &QShortcut::activated, this, &TargetListWindow::cmdRemove_Click);
  // The count and file texts change; the columns must not move with them.
  for (QLabel* label : {label3_, label4_}) label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

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
  SizeLists();
  show();
  KeepOnScreen(this);  // a place kept from a larger screen
  loading_ = false;
}

void TargetListWindow::SizeLists() {
  // Each list shows its longest entry whole: the pick lists their names, the list of pairs the
  // longest pair two of them make.
  auto widest = [](const QListWidget* list) {
    int w = 0;
    for (int row = 0; row < list->count(); ++row)
      w = std::max(w, list->fontMetrics().horizontalAdvance(list->item(row)->text()));
    return w;
  };
  auto fit = [](QListWidget* list, int textWidth) {
    const int spare = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width() + 12;
    list->setMinimumWidth(textWidth + spare);
  };
  const int first = widest(lstP1_), second = widest(lstP2_);
  fit(lstP1_, first);
  fit(lstP2_, second);
  const int count = label3_->fontMetrics().horizontalAdvance(texts_.countPrefix + QString("9999"));
  fit(entries_, std::max(first + second + entries_->fontMetrics().horizontalAdvance('/'), count));
  resize(layout()->minimumSize().expandedTo(QSize(560, 420)));
}

void TargetListWindow::FillPickLists() {
  const ReferenceTables& tables = session_.tables;
  for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) lstP1_->addItem(ToQString(tables.Planet(i).name));
  if (kind_ == ListKind::LunarMansions) {
    for (const std::string& pada : PadaTexts()) lstP2_->addItem(ToQString(pada));
  } else {
    for (int i = 1; i <= tables.NumPlanetsUsed(); ++i) lstP2_->addItem(ToQString(tables.Planet(i).name));
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
  label4_->setText(texts_.filePrefix + ToQString(SplitPath(CurrentListFile(session_, kind_), directory)));
}

void TargetListWindow::cmdAdd_Click() {
  const QString first = SelectedText(lstP1_), second = SelectedText(lstP2_);
  if (first.isEmpty() || second.isEmpty()) return;
  // A lunar mansion entry names the pada first.
  const QString entry = kind_ == ListKind::LunarMansions ? second + "/" + first : first + "/" + second;
  if (!entries_->findItems(entry, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) return;
  entries_->addItem(entry);
  entries_->scrollToItem(entries_->item(entries_->count() - 1));
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
  if (!ChangesSettled()) return;
  if (!Get_list_filename(this, dialogs_, session_, kind_, ListDialogMode::Open)) return;
  Read_list_file_contents();
}

void TargetListWindow::Read_list_file_contents() {
  entries_->clear();
  saved_.clear();
  const std::string& file = CurrentListFile(session_, kind_);
  if (!FileExists(file)) return;
  for (const std::string& line : ReadLines(file).value_or(std::vector<std::string>{})) entries_->addItem(ToQString(line));
  saved_ = Entries();
  ShowCount();
  ShowFileName();
}

void TargetListWindow::cmdSave_Click() { Save(); }

bool TargetListWindow::Save() {
  if (!Get_list_filename(this, dialogs_, session_, kind_, ListDialogMode::Save)) return false;
  if (!WriteCurrentFile(Entries())) return false;
  saved_ = Entries();
  ShowFileName();
  return true;
}

void TargetListWindow::cmdNew_Click() {
  CurrentListFile(session_, kind_).clear();
  if (!Get_list_filename(this, dialogs_, session_, kind_, ListDialogMode::Save)) return;
  if (!WriteCurrentFile({})) return;
  // The new file is empty; the entries still shown are not in it yet.
  saved_.clear();
  ShowFileName();
}

bool TargetListWindow::ChangesSettled() {
  if (Saved()) return true;
  std::string directory;
  const std::string file = SplitPath(CurrentListFile(session_, kind_), directory);
  const std::string text = "Save the changes to " + (file.empty() ? std::string("the list") : file) + "?";
  switch (ui_.Ask({QuestionButtons::SaveDiscardCancel, texts_.caption, text})) {
    case Answer::Save: return Save();
    case Answer::Discard: return true;
    default: return false;
  }
}

void TargetListWindow::closeEvent(QCloseEvent* event) {
  if (ChangesSettled())
    event->accept();
  else
    event->ignore();
}

bool TargetListWindow::WriteCurrentFile(const std::vector<std::string>& entries) {
  const std::string& file = CurrentListFile(session_, kind_);
  WriteResult written = WriteFileAtomically(file, JoinCrlf(entries));
  if (written) return true;
  ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(file, written)});
  return false;
}

}  // namespace kesmora::gui
