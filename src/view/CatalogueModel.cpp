#include "view/CatalogueModel.h"

#include <utility>

#include "view/GridSort.h"

namespace brieflist {

CatalogueModel::CatalogueModel(QObject* Parent) : QAbstractTableModel(Parent) {}

void CatalogueModel::Reset(QStringList Titles, std::vector<GridRow> Rows) {
  beginResetModel();
  Titles_ = std::move(Titles);
  Rows_ = std::move(Rows);
  endResetModel();
}

int32_t CatalogueModel::CatalogueIndex(int Row) const {
  if (Row < 0 || static_cast<size_t>(Row) >= Rows_.size()) return -1;
  return Rows_[static_cast<size_t>(Row)].Index;
}

QString CatalogueModel::Cell(int Row, int Column) const {
  if (Row < 0 || static_cast<size_t>(Row) >= Rows_.size() || Column < 0 || Column >= kGridColumns)
    return {};
  return Rows_[static_cast<size_t>(Row)].Cells[static_cast<size_t>(Column)];
}

void CatalogueModel::SetCell(int Row, int Column, const QString& Text) {
  if (Row < 0 || static_cast<size_t>(Row) >= Rows_.size() || Column < 0 || Column >= columnCount())
    return;
  Rows_[static_cast<size_t>(Row)].Cells[static_cast<size_t>(Column)] = Text;
  const QModelIndex at = index(Row, Column);
  emit dataChanged(at, at, {Qt::DisplayRole});
}

void CatalogueModel::SortByColumn(int Column, bool Ascending) {
  if (Column < 0 || Column >= kGridColumns || Rows_.size() < 2) return;
  const std::vector<size_t> order = SortOrder(Rows_, Column, Ascending);

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> newRowOf(order.size());
  std::vector<GridRow> sorted;
  sorted.reserve(Rows_.size());
  for (size_t to = 0; to < order.size(); ++to) {
    newRowOf[order[to]] = static_cast<int>(to);
    sorted.push_back(std::move(Rows_[order[to]]));
  }
  Rows_ = std::move(sorted);

  // The current cell and the selection follow their rows.
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& i : before)
    after.push_back(index(newRowOf[static_cast<size_t>(i.row())], i.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int CatalogueModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(Rows_.size());
}

int CatalogueModel::columnCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(Titles_.size());
}

QVariant CatalogueModel::data(const QModelIndex& Index, int Role) const {
  if (!checkIndex(Index, CheckIndexOption::IndexIsValid)) return {};
  if (Role == Qt::DisplayRole)
    return Rows_[static_cast<size_t>(Index.row())].Cells[static_cast<size_t>(Index.column())];
  if (Role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

QVariant CatalogueModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Orientation != Qt::Horizontal || Section < 0 || Section >= Titles_.size()) return {};
  if (Role == Qt::DisplayRole) return Titles_[Section];
  if (Role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags CatalogueModel::flags(const QModelIndex& Index) const {
  if (!Index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace brieflist
