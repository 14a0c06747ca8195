// The data grid: sorting by value, copying what is selected as tab-separated text, and column
// widths that fit their texts and keep what the user set.
#include "gui_fixture.h"

#include "core/reference/format.h"
#include "core/reference/text.h"
#include "gui/results/grid_window.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QClipboard>
#include <QDate>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

#include <map>

using namespace kesmora;
using kesmora::test::GuiFixture;

class GridWindowTest : public QObject {
  Q_OBJECT

 private:
  GuiFixture f_;
  std::vector<GridRow> rows_;
  std::vector<GridKeys> keys_;

  // Row r (1-based) of a made-up run: its exact moment `days` after 1 January 2027 and its
  // moving point at `longitude`. Texts and values sort differently: "01/02/2027" comes before
  // "12/31/2026", and "05 Sag" before "29 Ari".
  void AddRow(int days, double longitude) {
    const int r = static_cast<int>(rows_.size()) + 1;
    const QDate date = QDate(2027, 1, 1).addDays(days);
    GridRow row;
    row[0] = std::to_string(r);
    row[1] = "t. to n.";
    row[2] = r % 2 ? "Moon" : "Sun";
    row[3] = FormatLongitude(longitude);
    row[12] = date.toString("MM/dd/yyyy").toStdString() + " 10:00:00";
    GridKeys key;
    key.fill(std::nan(""));
    key[0] = r;
    key[3] = longitude;
    key[12] = static_cast<double>(date.toJulianDay());
    rows_.push_back(row);
    keys_.push_back(key);
  }

  void AddTwelveRows() {
    const int days[] = {5, 40, -3, 12, 0, 33, -20, 7, 21, -9, 2, 15};
    const double longitudes[] = {10, 355, 200, 45, 120, 300, 5, 90, 250, 180, 33, 270};
    for (int k = 0; k < 12; ++k) AddRow(days[k], longitudes[k]);
  }

  gui::GridWindow* Open() {
    auto* window = new gui::GridWindow(*f_.session, f_.window.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Form_Load(rows_, keys_);
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) qFatal("the grid window is not active");
    return window;
  }

  static QTableWidget* Grid(QWidget* window) { return GuiFixture::FindIn<QTableWidget>(window, "grdOutput"); }

  static void ClickHeader(QTableWidget* grid, int column) {
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 5));
  }

  QStringList Column(QTableWidget* grid, int column) const {
    QStringList texts;
    for (int r = 0; r < grid->rowCount(); ++r) texts << grid->item(r, column)->text();
    return texts;
  }

  // The original row each shown row came from, by its number.
  std::vector<int> Order(QTableWidget* grid) const {
    std::vector<int> order;
    for (int r = 0; r < grid->rowCount(); ++r) order.push_back(grid->item(r, 0)->text().toInt());
    return order;
  }

  // True when the key of `column` rises (or falls) down the shown rows.
  bool SortedBy(QTableWidget* grid, int column, bool ascending) const {
    const auto order = Order(grid);
    for (size_t k = 1; k < order.size(); ++k) {
      const double a = keys_[static_cast<size_t>(order[k - 1] - 1)][static_cast<size_t>(column)];
      const double b = keys_[static_cast<size_t>(order[k] - 1)][static_cast<size_t>(column)];
      if (ascending ? a > b : a < b) return false;
    }
    return true;
  }

 private slots:
  void init() {
    f_.Start();
    rows_.clear();
    keys_.clear();
  }
  void cleanup() { f_.Stop(); }

  void headerClickSortsByValueAndAgainTheOtherWay() {
    AddTwelveRows();
    QTableWidget* grid = Grid(Open());
    const std::vector<int> unsorted{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    QCOMPARE(Order(grid), unsorted);
    for (int column : {12, 3, 0}) {
      ClickHeader(grid, column);
      QVERIFY2(SortedBy(grid, column, true), qPrintable(Column(grid, column).join(" | ")));
      ClickHeader(grid, column);
      QVERIFY2(SortedBy(grid, column, false), qPrintable(Column(grid, column).join(" | ")));
    }
    // Each row keeps its own number and its own cells.
    for (int r = 0; r < grid->rowCount(); ++r) {
      const GridRow& original = rows_[static_cast<size_t>(grid->item(r, 0)->text().toInt() - 1)];
      QCOMPARE(grid->item(r, 12)->text().toStdString(), original[12]);
      QCOMPARE(grid->item(r, 3)->text().toStdString(), original[3]);
    }
    // Sorting by number: 12 comes after 9.
    QCOMPARE(grid->item(0, 0)->text(), QString("12"));
  }

  void copyGivesTheSelectedRowsAsColumns() {
    AddTwelveRows();
    gui::GridWindow* window = Open();
    QTableWidget* grid = Grid(window);
    grid->setFocus();
    auto rowText = [&](int r) {
      QStringList cells;
      for (int c = 0; c < GridColumns; ++c) cells << grid->item(r, c)->text();
      return cells.join('\t');
    };
    QStringList header;
    for (const char* h : GridHeaders) header << h;

    // Two whole rows, as dragged over with the Ctrl key.
    for (int r : {1, 4})
      grid->selectionModel()->select(grid->model()->index(r, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keySequence(grid, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), header.join('\t') + '\n' + rowText(1) + '\n' + rowText(4) + '\n');

    // A block: the columns of the block only, under their headers.
    grid->clearSelection();
    grid->setRangeSelected(QTableWidgetSelectionRange(2, 2, 3, 3), true);
    QTest::keySequence(grid, QKeySequence::Copy);
    const QString block = "T. Planet\tExact T. Position\n" + grid->item(2, 2)->text() + '\t' + grid->item(2, 3)->text() +
                          '\n' + grid->item(3, 2)->text() + '\t' + grid->item(3, 3)->text() + '\n';
    QCOMPARE(QApplication::clipboard()->text(), block);

    // Select All and Copy from the right-button menu's actions.
    QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList menu;
    for (QAction* a : grid->actions()) menu << a->text().remove('&');
    QCOMPARE(menu, (QStringList{"Copy", "Select All"}));
    grid->actions().at(1)->trigger();
    grid->actions().at(0)->trigger();
    QCOMPARE(QApplication::clipboard()->text().count('\n'), 13);
  }

  void columnsFitTheirLongestTexts() {
    // Row numbers past 9,999 and every header whole.
    for (int k = 0; k < 10000; ++k) AddRow(k % 400, (k * 7) % 360);
    QTableWidget* grid = Grid(Open());
    QAbstractItemDelegate* delegate = grid->itemDelegate();
    QStyleOptionViewItem option;
    option.initFrom(grid);
    const int last = grid->rowCount() - 1;
    QCOMPARE(grid->item(last, 0)->text(), QString("10000"));
    for (int c = 0; c < GridColumns; ++c) {
      const int needed = delegate->sizeHint(option, grid->model()->index(last, c)).width();
      QVERIFY2(grid->columnWidth(c) >= needed, qPrintable(QString("column %1").arg(c)));
      QVERIFY2(grid->columnWidth(c) >= grid->horizontalHeader()->sectionSizeHint(c), GridHeaders[c]);
    }
  }

  void defaultWindowShowsEveryColumn() {
    AddTwelveRows();
    QCOMPARE(f_.session->settings.gridForm.width, Settings{}.gridForm.width);
    gui::GridWindow* window = Open();
    QTableWidget* grid = Grid(window);
    QTest::qWait(0);
    QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
    QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
  }

  void widthsTheUserSetsAreKept() {
    AddTwelveRows();
    QTableWidget* grid = Grid(Open());
    const int automatic = grid->columnWidth(12);
    grid->horizontalHeader()->resizeSection(2, 250);  // as a drag on the header does
    QCOMPARE(f_.session->settings.gridColumnWidths[2], 250 * 15);
    QCOMPARE(f_.session->settings.gridColumnWidths[12], 0);

    // The next run's grid, and the next start's, have it too.
    QTableWidget* next = Grid(Open());
    QCOMPARE(next->columnWidth(2), 250);
    QCOMPARE(next->columnWidth(12), automatic);
    f_.window->close();
    const auto written = ReadLines(f_.session->SettingsFile());
    QVERIFY(written.has_value());
    QVERIFY(std::find(written->begin(), written->end(), "GridColumnWidth_02=3750") != written->end());
  }
};

QTEST_MAIN(GridWindowTest)
#include "grid_window_test.moc"
