#pragma once

#include <QPoint>
#include <QTableView>
#include <memory>

#include "view/CatalogueModel.h"
#include "view/ColumnWidths.h"

namespace brieflist {

// The mission grid FG: a table over the catalogue model, the title row as its header, no row
// header, every cell text left-aligned, in the font the column widths are measured in.
class MissionGrid : public QTableView {
  Q_OBJECT

 public:
  explicit MissionGrid(QWidget* Parent = nullptr);

  CatalogueModel& Model() { return *Model_; }
  const CatalogueModel& Model() const { return *Model_; }
  EntryMeasure& Measure() { return *Measure_; }

  // What the view adds to a text's width on either side of a cell.
  int CellMargin() const;
  // Sets each column to the width of its widest entry plus the cell margin.
  void SetColumnWidths(const std::vector<int>& WidestEntries);

  // The font the grid asks for; the system may give a substitute, which is what gets measured.
  static QFont RequestedFont();

 signals:
  // A mouse button went up over the data rows, after the view has made the cell under the
  // pointer current.
  void MouseUp(Qt::MouseButton Button, QPoint GlobalPos);

 protected:
  void mouseReleaseEvent(QMouseEvent* Event) override;

 private:
  CatalogueModel* Model_;
  std::unique_ptr<EntryMeasure> Measure_;
};

}  // namespace brieflist
