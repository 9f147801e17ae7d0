#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "view/GridRow.h"

namespace brieflist {

// The grid's contents: the title row as the header, and one GridRow per data row. The texts are
// held as the fill wrote them, so the grid shows what it was given until the next fill, apart
// from the cells a command rewrites.
class CatalogueModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit CatalogueModel(QObject* Parent = nullptr);

  // New titles (and with them the number of columns) and rows; any earlier order is dropped.
  void Reset(QStringList Titles, std::vector<GridRow> Rows);

  const QStringList& Titles() const { return Titles_; }
  const std::vector<GridRow>& Rows() const { return Rows_; }
  int32_t CatalogueIndex(int Row) const;
  QString Cell(int Row, int Column) const;
  void SetCell(int Row, int Column, const QString& Text);

  // Reorders the rows by one column, equal rows keeping their order (see GridSort.h).
  void SortByColumn(int Column, bool Ascending);

  int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
  Qt::ItemFlags flags(const QModelIndex& Index) const override;

 private:
  QStringList Titles_;
  std::vector<GridRow> Rows_;
};

}  // namespace brieflist
