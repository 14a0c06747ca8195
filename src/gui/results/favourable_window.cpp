#include "gui/results/favourable_window.h"

#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/reference/constants.h"
#include "core/reference/text.h"
#include "core/results/hotspots.h"
#include "core/search/election_file.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/printer_setup.h"
#include "gui/common/text.h"
#include "gui/results/condition_dialog.h"
#include "gui/results/favourable_picture.h"

#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <cmath>

namespace kesmora::gui {

namespace {

constexpr int kProgressSteps = 1000;

// A cell that sorts by a number: the rank, a moment, minutes or a score.
class KeyItem : public QTableWidgetItem {
 public:
  KeyItem(const QString& text, double key) : QTableWidgetItem(text, UserType), key_(key) {}
  bool operator<(const QTableWidgetItem& other) const override {
    const auto* cell = dynamic_cast<const KeyItem*>(&other);
    if (cell && !std::isnan(key_) && !std::isnan(cell->key_)) return key_ < cell->key_;
    return text().localeAwareCompare(other.text()) < 0;
  }

 private:
  double key_;
};

QPushButton* NewButton(const char* name, const QString& caption) {
  auto* b = new QPushButton(caption);
  b->setObjectName(name);
  return b;
}

// Times on the clock of the search's transit place, in the date order of the grid.
HitTextContext TextsOfPicture(const Session& session, const ElectionPicture& picture) {
  return HitTextsOf(session.tables, ExtraPoints{}, session.formats.dateOrder, picture.timeZoneHours);
}

QString StageText(int stage) {
  if (stage == election_stage::Events) return "Void Moon, stations and ingresses";
  if (stage == election_stage::Conditions) return "Conditions";
  return "Hits of the selection";
}

}  // namespace

FavourableWindow::FavourableWindow(Session& session, UserInterface& ui, FileDialogs& files, PrinterSetup& printer,
                                   Hooks hooks, QWidget* parent)
    : QMainWindow(parent), session_(session), ui_(ui), files_(files), printer_(printer), hooks_(std::move(hooks)) {
  setObjectName("frmFavourable");
  setWindowTitle("Find favourable times");
  BuildMenus();

  QGroupBox* conditionsGroup = BuildConditions();
  QHBoxLayout* findRow = BuildFindRow();
  BuildWindowsGrid();

  auto* left = new QWidget;
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(conditionsGroup, 2);
  leftLayout->addWidget(lblSpan_);
  leftLayout->addLayout(findRow);
  leftLayout->addWidget(grdWindows_, 3);

  picWeeks_ = new WeeksPicture(session_.tables, session_.formats.dateOrder);
  picWeeks_->SetHoverText([this](int day, int minute) { return MinuteText(day, minute); });
  connect(picWeeks_, &WeeksPicture::minuteClicked, this, &FavourableWindow::PictureClicked);
  auto* scroll = new QScrollArea;
  scroll->setObjectName("picWeeksScroll");
  scroll->setWidget(picWeeks_);
  scroll->setWidgetResizable(true);
  auto* legend = new QLabel(WeeksPicture::Legend());
  legend->setObjectName("lblWeeksLegend");
  legend->setWordWrap(true);
  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(scroll, 1);
  rightLayout->addWidget(legend);

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(0, 2);
  splitter->setStretchFactor(1, 3);
  setCentralWidget(splitter);
  ShowConditions();
}

// The list of conditions with the buttons that change it.
QGroupBox* FavourableWindow::BuildConditions() {
  lstConditions_ = new QListWidget;
  lstConditions_->setObjectName("lstConditions");
  connect(lstConditions_, &QListWidget::itemDoubleClicked, this, [this] { cmdEditCondition_Click(); });
  auto* add = NewButton("cmdAddCondition", "&Add...");
  auto* edit = NewButton("cmdEditCondition", "&Edit...");
  auto* remove = NewButton("cmdRemoveCondition", "&Remove");
  auto* up = NewButton("cmdMoveUp", "Move &up");
  auto* down = NewButton("cmdMoveDown", "Move do&wn");
  connect(add, &QPushButton::clicked, this, &FavourableWindow::cmdAddCondition_Click);
  connect(edit, &QPushButton::clicked, this, &FavourableWindow::cmdEditCondition_Click);
  connect(remove, &QPushButton::clicked, this, &FavourableWindow::cmdRemoveCondition_Click);
  connect(up, &QPushButton::clicked, this, [this] { MoveCondition(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveCondition(1); });
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {add, edit, remove, up, down}) buttons->addWidget(b);
  auto* conditions = new QVBoxLayout;
  conditions->addWidget(lstConditions_);
  conditions->addLayout(buttons);
  auto* conditionsGroup = new QGroupBox("Conditions");
  conditionsGroup->setLayout(conditions);
  return conditionsGroup;
}

// The span searched, Find, its progress and Cancel.
QHBoxLayout* FavourableWindow::BuildFindRow() {
  lblSpan_ = new QLabel;
  lblSpan_->setObjectName("lblSpan");
  lblSpan_->setWordWrap(true);
  cmdFind_ = NewButton("cmdFind", "F&ind");
  cmdCancel_ = NewButton("cmdCancel", "&Cancel");
  cmdCancel_->setEnabled(false);
  prgFind_ = new QProgressBar;
  prgFind_->setObjectName("prgFind");
  prgFind_->setRange(0, kProgressSteps);
  prgFind_->setValue(0);
  connect(cmdFind_, &QPushButton::clicked, this, &FavourableWindow::cmdFind_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &FavourableWindow::cmdCancel_Click);
  auto* findRow = new QHBoxLayout;
  findRow->addWidget(cmdFind_);
  findRow->addWidget(prgFind_, 1);
  findRow->addWidget(cmdCancel_);
  return findRow;
}

// The windows found, sortable; Enter or a double click sends one to Person 2.
void FavourableWindow::BuildWindowsGrid() {
  grdWindows_ = new QTableWidget(0, WindowColumns);
  grdWindows_->setObjectName("grdWindows");
  grdWindows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdWindows_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdWindows_->setSelectionMode(QAbstractItemView::SingleSelection);
  grdWindows_->verticalHeader()->setVisible(false);
  grdWindows_->setWordWrap(false);  // a row a line; the preferred conditions in full as a tip
  QStringList headings;
  for (const char* h : WindowHeaders) headings << h;
  grdWindows_->setHorizontalHeaderLabels(headings);
  grdWindows_->horizontalHeader()->setStretchLastSection(true);
  grdWindows_->setSortingEnabled(true);
  connect(grdWindows_, &QTableWidget::cellActivated, this,
          [this](int row, int) { SendWindowToTransit(grdWindows_->item(row, 0)->data(Qt::UserRole).toInt()); });
  connect(grdWindows_, &QTableWidget::itemSelectionChanged, this, [this] {
    const auto rows = grdWindows_->selectionModel()->selectedRows();
    picWeeks_->SetSelectedWindow(rows.isEmpty() ? -1 : grdWindows_->item(rows.front().row(), 0)->data(Qt::UserRole).toInt());
  });
}

FavourableWindow::~FavourableWindow() {
  if (!thread_) return;
  cancelRequested_ = true;
  thread_->wait();
  delete thread_;
}

void FavourableWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  auto add = [this, file](const char* name, const QString& caption, void (FavourableWindow::*slot)()) {
    QAction* a = file->addAction(caption);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  add("mnuLoadElection", "&Load .elc file...", &FavourableWindow::mnuLoadElection_Click);
  add("mnuSaveElection", "&Save .elc file...", &FavourableWindow::mnuSaveElection_Click);
  file->addSeparator();
  add("mnuSaveCsv", "Save windows as &CSV...", &FavourableWindow::mnuSaveCsv_Click);
  add("mnuSaveCalendar", "Save windows as calen&dar...", &FavourableWindow::mnuSaveCalendar_Click);
  add("mnuSavePicture", "Save &picture...", &FavourableWindow::mnuSavePicture_Click);
  add("mnuPrintPicture", "P&rint picture...", &FavourableWindow::mnuPrintPicture_Click);
  file->addSeparator();
  QAction* close = file->addAction("Cl&ose");
  close->setObjectName("mnuClose");
  connect(close, &QAction::triggered, this, &QWidget::close);
}

void FavourableWindow::Form_Load() {
  loading_ = true;
  keeper_ = std::make_unique<GeometryKeeper>(this, [this] {
    if (!loading_) session_.settings.favourableWindow = TwipsRectOf(this);
  });
  ApplyTwipsRect(this, session_.settings.favourableWindow);
  loading_ = false;
  ShowSpan();
  show();
}

QString FavourableWindow::ItemText(const ElectionItem& item) const {
  return ToQString(ElectionLineText(item, session_.tables));
}

void FavourableWindow::SetElection(Election election) {
  election_ = std::move(election);
  ShowConditions(election_.items.empty() ? -1 : 0);
}

void FavourableWindow::ShowConditions(int select) {
  lstConditions_->clear();
  for (const ElectionItem& item : election_.items) lstConditions_->addItem(ItemText(item));
  if (select >= 0 && select < lstConditions_->count()) lstConditions_->setCurrentRow(select);
}

void FavourableWindow::ShowSpan() {
  const Settings& s = session_.settings;
  const PersonFields& p2 = session_.person2;
  QString text = QString("Span: from Person 2's date (%1/%2/%3), %4 days to calculate")
                     .arg(ToQString(p2.month), ToQString(p2.day), ToQString(p2.year), ToQString(s.txtDaysToCalculate));
  if (s.chkEnableTimePeriod) text += QString(", %1 to %2 only").arg(ToQString(s.txtStartTime), ToQString(s.txtEndTime));
  if (picture_)
    text += QString("\nShown: %1 days from %2").arg(picture_->days).arg(
                ToQString(DateText(picture_->firstDate, session_.formats.dateOrder)));
  lblSpan_->setText(text);
}

void FavourableWindow::cmdAddCondition_Click() {
  ConditionDialog dialog(session_.tables, ui_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const int at = lstConditions_->currentRow() + 1;
  election_.items.insert(election_.items.begin() + (at > 0 ? at : static_cast<int>(election_.items.size())),
                         *dialog.Item());
  ShowConditions(at > 0 ? at : static_cast<int>(election_.items.size()) - 1);
}

void FavourableWindow::cmdEditCondition_Click() {
  const int row = lstConditions_->currentRow();
  if (row < 0 || row >= static_cast<int>(election_.items.size())) return;
  ConditionDialog dialog(session_.tables, ui_, this);
  dialog.SetItem(election_.items[static_cast<size_t>(row)]);
  if (dialog.exec() != QDialog::Accepted) return;
  election_.items[static_cast<size_t>(row)] = *dialog.Item();
  ShowConditions(row);
}

void FavourableWindow::cmdRemoveCondition_Click() {
  const int row = lstConditions_->currentRow();
  if (row < 0 || row >= static_cast<int>(election_.items.size())) return;
  election_.items.erase(election_.items.begin() + row);
  ShowConditions(std::min(row, static_cast<int>(election_.items.size()) - 1));
}

void FavourableWindow::MoveCondition(int step) {
  const int row = lstConditions_->currentRow(), to = row + step;
  const int n = static_cast<int>(election_.items.size());
  if (row < 0 || row >= n || to < 0 || to >= n) return;
  std::swap(election_.items[static_cast<size_t>(row)], election_.items[static_cast<size_t>(to)]);
  ShowConditions(to);
}

void FavourableWindow::mnuLoadElection_Click() {
  FileRequest request{"Load .elc file", ToQString(session_.programDir.string()), {}, "Election files (*.elc)", "elc"};
  auto chosen = files_.OpenFileName(this, request);
  if (!chosen) return;
  ElectionRead read = ReadElectionFile(ToStdString(*chosen), session_.tables);
  if (!read) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", read.error});
    return;
  }
  SetElection(std::move(read.election));
}

void FavourableWindow::mnuSaveElection_Click() {
  if (election_.items.empty()) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", "There are no conditions to save."});
    return;
  }
  FileRequest request{"Save .elc file", ToQString(session_.programDir.string()),
                      ToQString(FileNameOf(session_.person1.name, kElectionFileExtension)), "Election files (*.elc)",
                      "elc"};
  auto chosen = files_.SaveFileName(this, request);
  if (!chosen) return;
  const std::string file = ToStdString(*chosen);
  const WriteResult written = WriteElectionFile(file, election_, session_.tables);
  if (!written) ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(file, written)});
}

void FavourableWindow::cmdFind_Click() {
  if (Running()) return;
  ShowSpan();
  if (election_.items.empty()) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", "Add at least one condition before you search."});
    emit findFinished(false);
    return;
  }
  std::optional<RunInput> run = hooks_.runInput ? hooks_.runInput() : std::nullopt;
  if (!run) {
    emit findFinished(false);
    return;
  }
  ElectionRunInput input;
  input.run = std::move(*run);
  input.election = election_;
  input.events = EventOptionsOf(session_.optionValues);  // the traditional void, if chosen
  cancelRequested_ = false;
  found_.reset();
  failure_.clear();
  prgFind_->setValue(0);
  prgFind_->setFormat("%p%");
  cmdFind_->setEnabled(false);
  cmdCancel_->setEnabled(true);
  thread_ = QThread::create([this, input = std::move(input)] {
    RunControl control;
    control.progress = [this](int stage, double fraction) {
      QMetaObject::invokeMethod(
          this,
          [this, stage, fraction] {
            if (!Running() || cancelRequested_) return;
            prgFind_->setFormat(StageText(stage) + " %p%");
            prgFind_->setValue(static_cast<int>(std::lround(fraction * kProgressSteps)));
          },
          Qt::QueuedConnection);
    };
    control.cancelled = [this] { return cancelRequested_.load(); };
    try {
      found_ = std::make_shared<const ElectionPicture>(RunElection(input, control));
    } catch (const RunCancelled&) {
    } catch (const std::exception& e) {
      failure_ = e.what();
    }
  });
  connect(thread_, &QThread::finished, this, &FavourableWindow::Finish, Qt::QueuedConnection);
  thread_->start();
}

void FavourableWindow::cmdCancel_Click() {
  if (!Running()) return;
  cancelRequested_ = true;
  cmdCancel_->setEnabled(false);
  prgFind_->setFormat("Cancelling...");
}

void FavourableWindow::Finish() {
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  cmdFind_->setEnabled(true);
  cmdCancel_->setEnabled(false);
  prgFind_->setFormat("%p%");
  // A cancelled search leaves the last result as it was.
  const bool completed = !cancelRequested_ && found_ && failure_.empty();
  if (!failure_.empty() && !cancelRequested_) ShowError(failure_);
  if (completed) {
    prgFind_->setValue(kProgressSteps);
    ShowPicture(std::move(found_));
  } else {
    prgFind_->setValue(0);
  }
  found_.reset();
  emit findFinished(completed);
}

void FavourableWindow::ShowPicture(std::shared_ptr<const ElectionPicture> picture) {
  picture_ = std::move(picture);
  picWeeks_->SetPicture(picture_.get());
  FillGrid();
  ShowSpan();
}

void FavourableWindow::FillGrid() {
  grdWindows_->setSortingEnabled(false);
  grdWindows_->clearContents();
  const std::vector<WindowRow> rows = Rows();
  grdWindows_->setRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    const ElectionWindow& w = picture_->windows[r];
    const double keys[WindowColumns] = {static_cast<double>(r), w.interval.startJd, w.interval.endJd, w.Minutes(),
                                         -w.score, std::nan("")};
    for (int c = 0; c < WindowColumns; ++c) {
      auto* item = new KeyItem(ToQString(rows[r][static_cast<size_t>(c)]), keys[c]);
      if (c == 0) item->setData(Qt::UserRole, static_cast<int>(r));
      if (c == WindowColumns - 1) item->setToolTip(item->text());
      grdWindows_->setItem(static_cast<int>(r), c, item);
    }
  }
  grdWindows_->setSortingEnabled(true);
  grdWindows_->sortItems(0);
  grdWindows_->resizeColumnsToContents();
}

std::vector<WindowRow> FavourableWindow::Rows() const {
  if (!picture_) return {};
  return WindowRowsOf(picture_->election, picture_->windows, TextsOfPicture(session_, *picture_));
}

void FavourableWindow::SelectWindow(int rank) {
  for (int row = 0; row < grdWindows_->rowCount(); ++row)
    if (grdWindows_->item(row, 0)->data(Qt::UserRole).toInt() == rank) {
      grdWindows_->selectRow(row);
      grdWindows_->scrollToItem(grdWindows_->item(row, 0));
      return;
    }
}

void FavourableWindow::SendWindowToTransit(int rank) {
  if (!picture_ || rank < 0 || rank >= static_cast<int>(picture_->windows.size())) return;
  ToTransit(picture_->windows[static_cast<size_t>(rank)].interval.startJd);
}

void FavourableWindow::ToTransit(double jd) {
  if (!hooks_.sendToTransit) return;
  // The first whole minute at or after the moment, so that Person 2 lies inside the window.
  const long long seconds = LocalSecondsOf(jd, picture_->timeZoneHours);
  const long long minutes = (seconds + 59) / 60;
  const long long dayNumber = minutes / kPictureMinutesPerDay;
  const int minuteOfDay = static_cast<int>(minutes % kPictureMinutesPerDay);
  const CivilDate epoch{1970, 1, 1};
  const CivilDate date = AddDays(epoch, static_cast<int>(dayNumber - kJulianDayOf1970));
  hooks_.sendToTransit(date, minuteOfDay / 60, minuteOfDay % 60);
}

QString FavourableWindow::MinuteText(int day, int minute) const {
  if (!picture_) return {};
  const ElectionPicture& p = *picture_;
  const CivilDate date = AddDays(p.firstDate, day);
  QStringList lines;
  lines << QString("%1 %2 %3:%4")
               .arg(WeekdayAbbreviation(WeekdayOf(date)), ToQString(DateText(date, session_.formats.dateOrder)))
               .arg(minute / 60, 2, 10, QChar('0'))
               .arg(minute % 60, 2, 10, QChar('0'));
  const size_t i = p.Index(day, minute);
  switch (p.state[i]) {
    case MinuteState::OutsideSpan: lines << "outside the span searched"; break;
    case MinuteState::RuledOut: lines << "ruled out by the required or avoided conditions"; break;
    case MinuteState::Allowed: lines << QString("allowed, score %1").arg(p.score[i], 0, 'f', 2); break;
  }
  const int window = p.WindowAt(day, minute);
  if (window >= 0) lines << QString("window %1").arg(window + 1);
  for (int k : p.ItemsAt(day, minute)) lines << ItemText(p.election.items[static_cast<size_t>(k)]);
  const double at = day + (minute + 0.5) / kPictureMinutesPerDay;
  for (const PictureBand& b : p.bands)
    if (b.fromDay <= at && at < b.toDay)
      lines << (b.kind == PictureBand::Kind::Void ? QString("Moon void of course")
                                                   : ToQString(session_.tables.Planet(b.body).name) + " retrograde");
  return lines.join('\n');
}

void FavourableWindow::PictureClicked(int day, int minute) {
  if (!picture_) return;
  const int window = picture_->WindowAt(day, minute);
  if (window >= 0) {
    SelectWindow(window);
    return;
  }
  if (hooks_.openDay) hooks_.openDay(AddDays(picture_->firstDate, day));
}

bool FavourableWindow::SaveText(const char* title, const QString& filter, const char* suffix, const std::string& text) {
  const std::string proposed = FileNameOf(session_.person1.name, std::string(".") + suffix);
  FileRequest request{title,
                      ToQString(session_.settings.csvPath.empty() ? session_.programDir.string() : session_.settings.csvPath),
                      ToQString(proposed), filter, suffix};
  auto chosen = files_.SaveFileName(this, request);
  if (!chosen) return false;
  const std::string file = ToStdString(*chosen);
  const WriteResult written = WriteFileAtomically(file, text);
  if (!written) ui_.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(file, written)});
  return static_cast<bool>(written);
}

void FavourableWindow::mnuSaveCsv_Click() {
  if (!picture_ || picture_->windows.empty()) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", "There are no favourable windows to save."});
    return;
  }
  // The rows as the grid shows them, in the order it is sorted in.
  const std::vector<WindowRow> all = Rows();
  std::vector<WindowRow> shown;
  for (int row = 0; row < grdWindows_->rowCount(); ++row)
    shown.push_back(all[static_cast<size_t>(grdWindows_->item(row, 0)->data(Qt::UserRole).toInt())]);
  SaveText("Save windows as CSV", "Data output files (*.csv)", "csv", WindowsCsvText(shown));
}

void FavourableWindow::mnuSaveCalendar_Click() {
  if (!picture_ || picture_->windows.empty()) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", "There are no favourable windows to save."});
    return;
  }
  const auto events = WindowEventsOf(picture_->election, picture_->windows, TextsOfPicture(session_, *picture_),
                                     session_.chart.natalJulianDay);
  SaveText("Save windows as calendar", "Calendar files (*.ics)", "ics",
           IcsText(events, QDateTime::currentSecsSinceEpoch()));
}

void FavourableWindow::mnuSavePicture_Click() {
  if (!picture_) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", "Find the favourable times first."});
    return;
  }
  FileRequest request{"Save picture", ToQString(session_.programDir.string()),
                      ToQString(FileNameOf(session_.person1.name, ".png")), "PNG image (*.png)", "png"};
  auto chosen = files_.SaveFileName(this, request);
  if (!chosen) return;
  constexpr qreal kPixelRatio = 2;  // sharp enough to print or zoom into
  const QSize size = picWeeks_->size().expandedTo(picWeeks_->sizeHint());
  QImage image(size * kPixelRatio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(kPixelRatio);
  QPainter painter(&image);
  picWeeks_->Paint(painter, QRectF(QPointF(0, 0), size));
  painter.end();
  // Written beside the file and put in its place whole, or not at all.
  QSaveFile file(*chosen);
  const bool saved = file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
  if (!saved) ShowError("The picture " + chosen->toStdString() + " could not be written.");
}

void FavourableWindow::mnuPrintPicture_Click() {
  if (!picture_) {
    ui_.ShowMessage({MessageIcon::Information, "Warning!", "Find the favourable times first."});
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName("Favourable times");
  PrintPage(printer_, printer, this, ui_, [this](QPainter& painter, const QRectF& page) { PaintPage(painter, page); });
}

void FavourableWindow::PaintPage(QPainter& painter, const QRectF& page) const {
  // Drawn at the size of the screen's picture and scaled onto the page, so texts keep their size.
  const QSizeF logical(900, std::max(600.0, 900 * page.height() / page.width()));
  painter.scale(page.width() / logical.width(), page.height() / logical.height());
  // Above the picture: whose it is, its span, the conditions it shows and what its shades mean.
  painter.setFont(PixelSizedFont(picWeeks_));
  QStringList lines = {QString("Favourable times - %1").arg(ToQString(session_.person1.name)), lblSpan_->text()};
  for (const ElectionItem& item : election_.items) lines << "    " + ItemText(item);
  lines << WeeksPicture::Legend();
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
  const QString text = lines.join('\n');
  const QRectF head = painter.boundingRect(QRectF(QPointF(0, 0), logical), flags, text);
  painter.drawText(head, flags, text);
  const double top = head.bottom() + 8;
  picWeeks_->Paint(painter, QRectF(0, top, logical.width(), logical.height() - top));
}

void FavourableWindow::ShowError(const std::string& text) { ui_.ShowMessage({MessageIcon::Critical, "Error", text}); }

}  // namespace kesmora::gui
