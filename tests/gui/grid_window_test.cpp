// The data grid: sorting by value, rows selected by their numbers, and copying what is selected
// as tab-separated text.
#include "gui_fixture.h"

#include "core/reference/format.h"
#include "gui/results/grid_window.h"

#include <QAction>
#include <QClipboard>
#include <QDate>
#include <QHeaderView>
#include <QTableWidget>

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
    for (auto [days, longitude] : {std::pair{5, 10.0}, {40, 355.0}, {-3, 200.0}, {12, 45.0}, {0, 120.0}, {33, 300.0},
                                   {-20, 5.0}, {7, 90.0}, {21, 250.0}, {-9, 180.0}, {2, 33.0}, {15, 270.0}})
      AddRow(days, longitude);
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
  void init() { f_.Start(); }
  void cleanup() {
    f_.Stop();
    rows_.clear(), keys_.clear();
  }

  void headerClickSortsByValueAndAgainTheOtherWay() {
    AddTwelveRows();
    QTableWidget* grid = Grid(Open());
    for (int column : {12, 3, 0}) {
      ClickHeader(grid, column);
      QVERIFY2(SortedBy(grid, column, true), qPrintable(QString::number(column)));
      ClickHeader(grid, column);
      QVERIFY2(SortedBy(grid, column, false), qPrintable(QString::number(column)));
    }
    // Each row keeps its own number and its own cells.
    for (int r = 0; r < grid->rowCount(); ++r) {
      const GridRow& original = rows_[static_cast<size_t>(grid->item(r, 0)->text().toInt() - 1)];
      QCOMPARE(grid->item(r, 12)->text().toStdString(), original[12]);
      QCOMPARE(grid->item(r, 3)->text().toStdString(), original[3]);
    }
  }

  void clickOnANumberSelectsItsRow() {
    AddTwelveRows();
    QTableWidget* grid = Grid(Open());
    auto click = [&](int row, Qt::KeyboardModifiers mods = {}) {
      const QRect cell = grid->visualRect(grid->model()->index(row, 0));
      QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, cell.center());
    };
    auto selectedRows = [&] {
      std::vector<int> rows;
      for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->selectionModel()->isRowSelected(r, {})) rows.push_back(r);
      return rows;
    };
    // The "#" column heads its rows: a click selects the row, Ctrl adds one, Shift selects the rows
    // from the one clicked last.
    click(2);
    QCOMPARE(selectedRows(), std::vector<int>{2});
    click(5, Qt::ControlModifier);
    QCOMPARE(selectedRows(), (std::vector<int>{2, 5}));
    click(8, Qt::ShiftModifier);
    QCOMPARE(selectedRows(), (std::vector<int>{5, 6, 7, 8}));
    // Elsewhere a click still selects the one cell.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 3)).center());
    QCOMPARE(grid->selectedItems().size(), 1);
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

    // Select All and Copy from the right-button menu's actions.
    QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
    grid->actions().at(1)->trigger();
    grid->actions().at(0)->trigger();
    QCOMPARE(QApplication::clipboard()->text().count('\n'), 13);
  }
};

QTEST_MAIN(GridWindowTest)
#include "grid_window_test.moc"
