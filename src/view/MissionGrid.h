#pragma once

#include <QPoint>
#include <QTableView>
#include <memory>
#include <vector>

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

  // The shown rows that have a selected cell, in grid order; the current row when none has.
  std::vector<int> SelectedRows() const;
  // Puts the selected rows on the clipboard as tab-separated text with a title line.
  void CopySelectedRows();

 signals:
  // A mouse button went up over the data rows, after the view has made the cell under the
  // pointer current.
  void MouseUp(Qt::MouseButton Button, QPoint GlobalPos);
  // Enter or the context-menu key on the current cell, whose corner is at GlobalPos.
  void MenuKeyPressed(QPoint GlobalPos);
  // Space on a cell of the "Enabled" column.
  void EnabledSpacePressed();

 protected:
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  CatalogueModel* Model_;
  std::unique_ptr<EntryMeasure> Measure_;
};

}  // namespace brieflist
