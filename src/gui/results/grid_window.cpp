#include "gui/results/grid_window.h"

#include "core/app/run.h"
#include "core/app/session.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_set>

namespace kesmora::gui {

namespace {

constexpr int kRowHeightTwips = 250;
static_assert(std::tuple_size_v<decltype(Settings::gridColumnWidths)> == GridColumns);

// What the short headings mean, shown when the pointer rests on them.
const char* ColumnToolTip(int column) {
  switch (column) {
    case 0: return "The hit's number in the run; a click here selects the whole row.";
    case 1:
      return "Type of hit: t. to n. transit to natal, t. to t. transit to transit, tmp to n. / tmp to t. transit "
             "midpoint to natal / transit planet,\nt to nmp transit planet to natal midpoint, tmp2nmp transit midpoint "
             "to natal midpoint; empty for lunar mansions and auspicious points.";
    case 4: case 9: return "LM: lunar mansion (nakshatra) of the position, 1 to 27, each 13 deg 20 min from 0 Aries.";
    case 5: case 10: return "Q: quarter (pada) of the lunar mansion, 1 to 4, each 3 deg 20 min.";
    case 6: return "Asp: the aspect, as captioned on the main window (par and c.p compare declinations).";
    case 11: return "When the aspect comes within the orb (Minutes before exact).";
    case 13: return "When the aspect leaves the orb (Minutes after exact).";
    default: return "";
  }
}

Qt::Alignment ColumnAlignment(int column) {
  return GridCentred[column] ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
}

// A cell that sorts by the number it shows: positions by longitude, moments by time, the row
// number as a number. Cells without a number sort after those with one, by their text.
class GridItem : public QTableWidgetItem {
 public:
  GridItem(const QString& text, double key) : QTableWidgetItem(text, UserType), key_(key) {}
  bool operator<(const QTableWidgetItem& other) const override {
    const auto* cell = dynamic_cast<const GridItem*>(&other);
    const double a = key_, b = cell ? cell->key_ : std::nan("");
    if (std::isnan(a) != std::isnan(b)) return !std::isnan(a);
    if (!std::isnan(a)) return a < b;
    return text().localeAwareCompare(other.text()) < 0;
  }

 private:
  double key_;
};

}  // namespace

GridWindow::GridWindow(Session& session, QWidget* parent) : QWidget(parent, Qt::Window), session_(session) {
  setObjectName("Grid_form");
  setWindowTitle("Data Grid");
  grdOutput_ = new QTableWidget;
  grdOutput_->setObjectName("grdOutput");
  grdOutput_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdOutput_->verticalHeader()->setVisible(false);
  auto* frameLayout = new QVBoxLayout;
  frameLayout->addWidget(grdOutput_);
  auto* frame13 = new QGroupBox("Planet Data");
  frame13->setObjectName("Frame13");
  frame13->setLayout(frameLayout);
  auto* layout = new QVBoxLayout(this);
  auto* menus = new QMenuBar;
  QAction* calendar = menus->addMenu("&File")->addAction(QString::fromUtf8("Save as calendar\u2026"));
  calendar->setObjectName("mnuSaveAsCalendar");
  connect(calendar, &QAction::triggered, this, &GridWindow::saveAsCalendarRequested);
  layout->setMenuBar(menus);
  layout->addWidget(frame13);

  // Copy and Select All, by their keys and on the right button.
  auto* copy = new QAction("&Copy", grdOutput_);
  copy->setObjectName("mnuCopy");
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(copy, &QAction::triggered, this, &GridWindow::CopySelection);
  auto* selectAll = new QAction("Select &All", grdOutput_);
  selectAll->setObjectName("mnuSelectAll");
  selectAll->setShortcut(QKeySequence::SelectAll);
  selectAll->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(selectAll, &QAction::triggered, grdOutput_, &QTableWidget::selectAll);
  // The "#" column heads its rows: a click on a number selects the whole row, Ctrl adds it to the
  // selection, Shift selects the rows from the one clicked last.
  connect(grdOutput_, &QTableWidget::cellPressed, this, [this](int row, int column) {
    if (column != 0) return;
    const auto mods = QGuiApplication::keyboardModifiers();
    const bool range = (mods & Qt::ShiftModifier) && anchorRow_ >= 0;
    QAbstractItemModel* model = grdOutput_->model();
    const QItemSelection rows(model->index(range ? std::min(anchorRow_, row) : row, 0),
                              model->index(range ? std::max(anchorRow_, row) : row, GridColumns - 1));
    grdOutput_->selectionModel()->select(
        rows, (mods & Qt::ControlModifier) ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
    if (!range) anchorRow_ = row;
  });
  grdOutput_->addAction(copy);
  grdOutput_->addAction(selectAll);
  grdOutput_->setContextMenuPolicy(Qt::ActionsContextMenu);

  // A width the user gives a column is kept for the next runs and the next start.
  connect(grdOutput_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
    if (!sizing_ && column >= 0 && column < GridColumns)
      session_.settings.gridColumnWidths[static_cast<size_t>(column)] = width * kTwipsPerPixel;
  });
  keeper_ = std::make_unique<GeometryKeeper>(this, [this] {
    if (!loading_) session_.settings.gridForm = TwipsRectOf(this);
  });
}

void GridWindow::Form_Load(const std::vector<GridRow>& rows, const std::vector<GridKeys>& keys) {
  loading_ = true;
  Display_Aspects_in_grid(rows, keys);
  // Unless the user gave the window a size, it opens wide enough for every column.
  QSize atLeast;
  if (session_.settings.gridForm.width == Settings{}.gridForm.width) {
    // The columns, the grid's frame, and the margins of the frame and the window around it.
    auto across = [](const QMargins& m) { return m.left() + m.right(); };
    QWidget* frame13 = grdOutput_->parentWidget();
    frame13->ensurePolished();
    atLeast.setWidth(ColumnsWidth() + 2 * grdOutput_->frameWidth() + across(layout()->contentsMargins()) +
                     across(frame13->contentsMargins()) + across(frame13->layout()->contentsMargins()));
  }
  ApplyTwipsRect(this, session_.settings.gridForm, atLeast);
  show();
  KeepOnScreen(this);
  loading_ = false;
}

void GridWindow::SetupColumns(int rowCount) {
  grdOutput_->setSortingEnabled(false);
  grdOutput_->clear();
  grdOutput_->setColumnCount(GridColumns);
  grdOutput_->setRowCount(rowCount);
  const QColor grey(224, 224, 224);
  for (int c = 0; c < GridColumns; ++c) {
    auto* header = new QTableWidgetItem(GridHeaders[c]);
    header->setTextAlignment(ColumnAlignment(c));
    if (c == 0) header->setBackground(grey);
    header->setToolTip(ColumnToolTip(c));
    grdOutput_->setHorizontalHeaderItem(c, header);
  }
}

void GridWindow::Display_Aspects_in_grid(const std::vector<GridRow>& rows, const std::vector<GridKeys>& keys) {
  grdOutput_->setUpdatesEnabled(false);
  const int count = static_cast<int>(rows.size());
  // Every row of the same height, set once for all of them.
  const int rowHeight = static_cast<int>(std::lround(static_cast<double>(kRowHeightTwips) / kTwipsPerPixel));
  QHeaderView* rowHeader = grdOutput_->verticalHeader();
  rowHeader->setMinimumSectionSize(std::min(rowHeight, rowHeader->minimumSectionSize()));
  rowHeader->setDefaultSectionSize(rowHeight);
  SetupColumns(count);
  const QColor grey(224, 224, 224);
  for (int r = 0; r < count; ++r) {
    const GridRow& row = rows[static_cast<size_t>(r)];
    for (int c = 0; c < GridColumns; ++c) {
      const double key = static_cast<size_t>(r) < keys.size() ? keys[static_cast<size_t>(r)][static_cast<size_t>(c)]
                                                              : std::nan("");
      auto* item = new GridItem(QString::fromStdString(row[static_cast<size_t>(c)]), key);
      item->setTextAlignment(ColumnAlignment(c));
      if (c == 0) item->setBackground(grey);
      grdOutput_->setItem(r, c, item);
    }
  }
  grdOutput_->horizontalHeader()->setSortIndicatorShown(true);
  SizeColumns(rows);
  // A click on a header sorts by that column, a second click the other way; no sort at first.
  grdOutput_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  grdOutput_->setSortingEnabled(true);
  grdOutput_->setUpdatesEnabled(true);
}

void GridWindow::SizeColumns(const std::vector<GridRow>& rows) {
  // Each column fits its header and its longest text (the designed widths are the least), unless
  // the user has given it a width of their own.
  const QFontMetrics cells = grdOutput_->fontMetrics();
  char widestDigit = '0';
  for (char digit = '1'; digit <= '9'; ++digit)
    if (cells.horizontalAdvance(QChar(digit)) > cells.horizontalAdvance(QChar(widestDigit))) widestDigit = digit;
  const QFontMetrics headers = grdOutput_->horizontalHeader()->fontMetrics();
  const int padding = 2 * (grdOutput_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grdOutput_) + 1) + 2;
  const int headerPadding = 2 * grdOutput_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grdOutput_) + 2;
  sizing_ = true;
  for (int c = 0; c < GridColumns; ++c) {
    const int userWidth = session_.settings.gridColumnWidths[static_cast<size_t>(c)] / kTwipsPerPixel;
    if (userWidth > 0) {
      grdOutput_->setColumnWidth(c, userWidth);
      continue;
    }
    // Measuring every text of a long run is slow: the widest is among the longest, and texts
    // that differ only in their digits are no wider than their shape with the widest digit in
    // each place, which is measured once.
    size_t longest = 0;
    for (const GridRow& row : rows) longest = std::max(longest, row[static_cast<size_t>(c)].size());
    int widest = 0;
    std::unordered_set<std::string> shapes;
    for (const GridRow& row : rows) {
      std::string shape = row[static_cast<size_t>(c)];
      if (shape.size() + 2 < longest) continue;
      for (char& ch : shape)
        if (ch >= '0' && ch <= '9') ch = widestDigit;
      if (shapes.insert(shape).second)
        widest = std::max(widest, cells.horizontalAdvance(QString::fromStdString(shape)));
    }
    // The header's own measure, its sort mark included.
    const int header = std::max(headers.horizontalAdvance(GridHeaders[c]) + headerPadding,
                                grdOutput_->horizontalHeader()->sectionSizeHint(c));
    grdOutput_->setColumnWidth(c, std::max({GridWidthsTwips[c] / kTwipsPerPixel, widest + padding, header}));
  }
  sizing_ = false;
}

int GridWindow::ColumnsWidth() const {
  int total = 0;
  for (int c = 0; c < GridColumns; ++c) total += grdOutput_->columnWidth(c);
  return total + grdOutput_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grdOutput_) + 2;
}

std::vector<GridRow> GridWindow::RowsAsShown() const {
  std::vector<GridRow> rows(static_cast<size_t>(grdOutput_->rowCount()));
  for (int r = 0; r < grdOutput_->rowCount(); ++r)
    for (int c = 0; c < GridColumns && c < grdOutput_->columnCount(); ++c)
      if (const QTableWidgetItem* item = grdOutput_->item(r, c))
        rows[static_cast<size_t>(r)][static_cast<size_t>(c)] = item->text().toStdString();
  return rows;
}

QString GridWindow::SelectionText() const {
  std::set<int> rows, columns;
  for (const QTableWidgetSelectionRange& range : grdOutput_->selectedRanges()) {
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) rows.insert(r);
    for (int c = range.leftColumn(); c <= range.rightColumn(); ++c) columns.insert(c);
  }
  if (rows.empty()) return {};
  QStringList line;
  for (int c : columns) line << GridHeaders[c];
  QString text = line.join('\t') + '\n';
  for (int r : rows) {
    line.clear();
    for (int c : columns) {
      const QTableWidgetItem* item = grdOutput_->item(r, c);
      line << (item && item->isSelected() ? item->text() : QString());
    }
    text += line.join('\t') + '\n';
  }
  return text;
}

void GridWindow::CopySelection() const {
  const QString text = SelectionText();
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

}  // namespace kesmora::gui
