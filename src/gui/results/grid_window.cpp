#include "gui/results/grid_window.h"

#include "core/app/session.h"
#include "gui/app/window_geometry.h"

#include <algorithm>

#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace kesmora::gui {

namespace {

constexpr int kRowHeightTwips = 250;

Qt::Alignment ColumnAlignment(int column) {
  return GridCentred[column] ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

std::vector<GridRow> RunGridRows(const Session& session) {
  const RunResult& run = session.run;
  return GridRowsOf(run.hits.RunRows(), run.hits.HitCount(), PointNamesOf(session.tables, &run.extra), session.tables,
                    run.periods);
}

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
  keeper_ = std::make_unique<GeometryKeeper>(this, [this] {
    if (!loading_) session_.settings.gridForm = TwipsRectOf(this);
  });
}

void GridWindow::Form_Load(const std::vector<GridRow>& rows) {
  loading_ = true;
  const WindowRect& r = session_.settings.gridForm;
  ApplyTwipsRect(this, r);
  show();
  loading_ = false;
  Display_Aspects_in_grid(rows);
}

void GridWindow::SetupColumns(int rowCount) {
  grdOutput_->clear();
  grdOutput_->setColumnCount(GridColumns);
  grdOutput_->setRowCount(rowCount);
  const QColor grey(224, 224, 224);
  for (int c = 0; c < GridColumns; ++c) {
    auto* header = new QTableWidgetItem(GridHeaders[c]);
    header->setTextAlignment(ColumnAlignment(c));
    if (c == 0) header->setBackground(grey);
    grdOutput_->setHorizontalHeaderItem(c, header);
    grdOutput_->setColumnWidth(c, GridWidthsTwips[c] / kTwipsPerPixel);
  }
}

void GridWindow::Display_Aspects_in_grid(const std::vector<GridRow>& rows) {
  grdOutput_->setUpdatesEnabled(false);
  const int count = static_cast<int>(rows.size());
  SetupColumns(count);
  const QColor grey(224, 224, 224);
  const int rowHeight = static_cast<int>(std::lround(static_cast<double>(kRowHeightTwips) / kTwipsPerPixel));
  for (int r = 0; r < count; ++r) {
    grdOutput_->setRowHeight(r, rowHeight);
    const GridRow& row = rows[static_cast<size_t>(r)];
    for (int c = 0; c < GridColumns; ++c) {
      auto* item = new QTableWidgetItem(QString::fromStdString(row[static_cast<size_t>(c)]));
      item->setTextAlignment(ColumnAlignment(c));
      if (c == 0) item->setBackground(grey);
      grdOutput_->setItem(r, c, item);
    }
  }
  WidenToContents();
  grdOutput_->setUpdatesEnabled(true);
}

void GridWindow::WidenToContents() {
  // The designed widths are the least; dates and times in the user's font may need more.
  for (int c = 0; c < GridColumns; ++c) {
    int designed = GridWidthsTwips[c] / kTwipsPerPixel;
    grdOutput_->resizeColumnToContents(c);
    grdOutput_->setColumnWidth(c, std::max(designed, grdOutput_->columnWidth(c)));
  }
}


}  // namespace kesmora::gui
