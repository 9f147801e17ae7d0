#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "view/GridFilter.h"
#include "view/GridRow.h"

namespace brieflist {

// The grid's contents: the title row as the header, and one GridRow per data row. The texts are
// held as the fill wrote them, so the grid shows what it was given until the next fill, apart
// from the rows a switch has rewritten from the catalogue. A disabled mission's row is greyed. A
// filter hides rows without dropping them: the model's rows are the shown ones, in grid order, and
// a row number counts shown rows only.
class CatalogueModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit CatalogueModel(QObject* Parent = nullptr);

  // New titles (and with them the number of columns) and rows, of which Filter shows some; any
  // earlier order is dropped. ResolvedMapNames: the rows show mission names resolved.
  void Reset(QStringList Titles, std::vector<GridRow> Rows, const GridFilter& Filter = {},
             bool ResolvedMapNames = false);
  // Shows the rows Filter lets through, in the current order.
  void ApplyFilter(const GridFilter& Filter);

  const QStringList& Titles() const { return Titles_; }
  // Every row, shown or not, in grid order; and the positions in it of the shown ones.
  const std::vector<GridRow>& AllRows() const { return Rows_; }
  const std::vector<int32_t>& ShownPositions() const { return Shown_; }

  // The names held by more than one mission: how many, and the tooltip of each mission's
  // "FileName" cell by catalogue index (empty for a name of its own).
  void SetDuplicateNames(int Count, std::vector<QString> FileNameTips);
  int DuplicateNameCount() const { return DuplicateNameCount_; }
  int32_t CatalogueIndex(int Row) const;
  QString Cell(int Row, int Column) const;

  // Writes every cell of the rows showing the missions at CatalogueIndices afresh from State,
  // after a switch or an undo changed them on disk. Rows stay where they are, shown or hidden
  // as before; the column widths are not changed. Linear in the rows and the indices.
  void RefreshRows(const CatalogueState& State, const std::vector<int32_t>& CatalogueIndices);

  // Reorders the rows by one column, equal rows keeping their order (see GridSort.h).
  void SortByColumn(int Column, bool Ascending);

  int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
  Qt::ItemFlags flags(const QModelIndex& Index) const override;

 private:
  void ChooseShown(const GridFilter& Filter);
  const GridRow* ShownRow(int Row) const;

  QStringList Titles_;
  std::vector<GridRow> Rows_;
  std::vector<uint8_t> Passes_;  // per row of Rows_: shown by the last filter
  std::vector<int32_t> Shown_;
  bool ResolvedMapNames_ = false;
  int DuplicateNameCount_ = 0;
  std::vector<QString> FileNameTips_;
};

}  // namespace brieflist
