#pragma once
#include "gui/app/window_geometry.h"

#include <memory>
// The data grid of the last aspectarian run, one row per hit with its periods.
#include "core/results/results.h"

#include <QWidget>

#include <vector>

class QTableWidget;

namespace kesmora {
struct Session;
}

namespace kesmora::gui {

// The grid rows of the session's last run, with the names of its extra points and its periods.
std::vector<GridRow> RunGridRows(const Session& session);

class GridWindow : public QWidget {
  Q_OBJECT
 public:
  GridWindow(Session& session, QWidget* parent);

  // Restores the window's place, shows it and fills the grid.
  void Form_Load(const std::vector<GridRow>& rows);
  void Display_Aspects_in_grid(const std::vector<GridRow>& rows);

 signals:
  // "Save as calendar…" was chosen.
  void saveAsCalendarRequested();

 protected:

 private:
  void SetupColumns(int rowCount);
  void WidenToContents();

  Session& session_;
  bool loading_ = true;
  std::unique_ptr<GeometryKeeper> keeper_;
  QTableWidget* grdOutput_ = nullptr;
};

}  // namespace kesmora::gui
