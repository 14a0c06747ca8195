#pragma once
// The data grid of the last aspectarian run, one row per hit with its periods. Its rows can be
// sorted by any column and copied, as tab-separated text, into a spreadsheet or an editor.
#include "core/results/results.h"
#include "gui/common/window_geometry.h"

#include <QWidget>

#include <memory>
#include <vector>

class QTableWidget;

namespace kesmora {
struct Session;
}

namespace kesmora::gui {

class GridWindow : public QWidget {
  Q_OBJECT
 public:
  GridWindow(Session& session, QWidget* parent);

  // Fills the grid, restores the window's place and shows it. Without keys, cells sort by text.
  void Form_Load(const std::vector<GridRow>& rows, const std::vector<GridKeys>& keys = {});
  void Display_Aspects_in_grid(const std::vector<GridRow>& rows, const std::vector<GridKeys>& keys = {});

  // The rows as the grid shows them, in the order it is sorted in.
  std::vector<GridRow> RowsAsShown() const;

  // The selected cells as lines of tab-separated columns under a header line: every row with a
  // selected cell, every column with one, rows in the order shown.
  QString SelectionText() const;
  void CopySelection() const;

 signals:
  // "Save as calendar…" was chosen.
  void saveAsCalendarRequested();

 private:
  void SetupColumns(int rowCount);
  void SizeColumns(const std::vector<GridRow>& rows);
  int ColumnsWidth() const;

  Session& session_;
  bool loading_ = true;
  bool sizing_ = false;  // the grid sets its own widths: not the user's
  int anchorRow_ = -1;   // the row a Shift click on "#" selects from
  std::unique_ptr<GeometryKeeper> keeper_;
  QTableWidget* grdOutput_ = nullptr;
};

}  // namespace kesmora::gui
