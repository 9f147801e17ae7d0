#include "view/CatalogueModel.h"

#include <QGuiApplication>
#include <QPalette>
#include <limits>
#include <optional>
#include <utility>

#include "catalogue/MapNames.h"
#include "view/FillGrid.h"
#include "view/GridSort.h"

namespace brieflist {

CatalogueModel::CatalogueModel(QObject* Parent) : QAbstractTableModel(Parent) {}

void CatalogueModel::Reset(QStringList Titles, std::vector<GridRow> Rows, const GridFilter& Filter,
                           bool ResolvedMapNames) {
  beginResetModel();
  ResolvedMapNames_ = ResolvedMapNames;
  Titles_ = std::move(Titles);
  Rows_ = std::move(Rows);
  ChooseShown(Filter);
  endResetModel();
}

void CatalogueModel::ApplyFilter(const GridFilter& Filter) {
  beginResetModel();
  ChooseShown(Filter);
  endResetModel();
}

void CatalogueModel::ChooseShown(const GridFilter& Filter) {
  const bool all = Filter.ShowsEverything();
  const bool words = Filter.HasWords();
  Passes_.assign(Rows_.size(), 1);
  Shown_.clear();
  Shown_.reserve(Rows_.size());
  for (size_t at = 0; at < Rows_.size(); ++at) {
    GridRow& row = Rows_[at];
    // Taken once per fill, at the first filter with words: then every keystroke reuses it.
    if (words && row.Searched.isNull()) row.Searched = SearchedText(row);
    if (!all && !Filter.Shows(row, row.Searched)) {
      Passes_[at] = 0;
      continue;
    }
    Shown_.push_back(static_cast<int32_t>(at));
  }
}

void CatalogueModel::SetDuplicateNames(int Count, std::vector<QString> FileNameTips) {
  DuplicateNameCount_ = Count;
  FileNameTips_ = std::move(FileNameTips);
  if (!Shown_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::ToolTipRole});
}

const GridRow* CatalogueModel::ShownRow(int Row) const {
  if (Row < 0 || static_cast<size_t>(Row) >= Shown_.size()) return nullptr;
  return &Rows_[static_cast<size_t>(Shown_[static_cast<size_t>(Row)])];
}

int32_t CatalogueModel::CatalogueIndex(int Row) const {
  const GridRow* row = ShownRow(Row);
  return row ? row->Index : -1;
}

QString CatalogueModel::Cell(int Row, int Column) const {
  const GridRow* row = ShownRow(Row);
  if (!row || Column < 0 || Column >= kGridColumns) return {};
  return row->Cells[static_cast<size_t>(Column)];
}

void CatalogueModel::RefreshRows(const CatalogueState& State,
                                 const std::vector<int32_t>& CatalogueIndices) {
  if (CatalogueIndices.empty() || Rows_.empty()) return;
  const size_t missions =
      State.LastMission < 0 ? 0 : std::min(State.Missions.size(), size_t(State.LastMission) + 1);
  std::vector<int32_t> positionOf(missions, -1);  // by catalogue index
  for (size_t at = 0; at < Rows_.size(); ++at) {
    const int32_t index = Rows_[at].Index;
    if (index >= 0 && static_cast<size_t>(index) < missions)
      positionOf[static_cast<size_t>(index)] = static_cast<int32_t>(at);
  }
  std::optional<MapNameLookup> lookup;
  if (ResolvedMapNames_) lookup.emplace(State.MapNames);
  std::array<QString, kGridColumns> cells;
  for (const int32_t index : CatalogueIndices) {
    if (index < 0 || static_cast<size_t>(index) >= missions) continue;
    const int32_t at = positionOf[static_cast<size_t>(index)];
    if (at < 0) continue;
    GridRow& row = Rows_[static_cast<size_t>(at)];
    WriteGridCells(State.Missions[static_cast<size_t>(index)], lookup ? &*lookup : nullptr, cells);
    for (size_t c = 0; c < cells.size(); ++c) {
      if (cells[c] == row.Cells[c]) continue;
      row.Cells[c] = std::move(cells[c]);
      row.Prices[c] = std::numeric_limits<double>::quiet_NaN();
      if (IsSearchedColumn(static_cast<int>(c))) row.Searched = QString();
    }
  }
  if (!Shown_.empty())
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                     {Qt::DisplayRole, Qt::ForegroundRole});
}

void CatalogueModel::SortByColumn(int Column, bool Ascending) {
  if (Column < 0 || Column >= kGridColumns || Rows_.size() < 2) return;
  // Hidden rows are sorted too, so the order holds when the filter changes.
  const std::vector<size_t> order = SortOrder(Rows_, Column, Ascending);

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> newShownRowOf(Rows_.size(), -1);  // by old position
  std::vector<GridRow> sorted;
  std::vector<uint8_t> passes;
  sorted.reserve(Rows_.size());
  passes.reserve(Rows_.size());
  const std::vector<int32_t> oldShown = std::exchange(Shown_, {});
  for (const size_t from : order) {
    if (Passes_[from]) {
      newShownRowOf[from] = static_cast<int>(Shown_.size());
      Shown_.push_back(static_cast<int32_t>(sorted.size()));
    }
    sorted.push_back(std::move(Rows_[from]));
    passes.push_back(Passes_[from]);
  }
  Rows_ = std::move(sorted);
  Passes_ = std::move(passes);

  // The current cell and the selection follow their rows.
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& i : before) {
    const auto from = static_cast<size_t>(oldShown[static_cast<size_t>(i.row())]);
    after.push_back(index(newShownRowOf[from], i.column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int CatalogueModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(Shown_.size());
}

int CatalogueModel::columnCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(Titles_.size());
}

QVariant CatalogueModel::data(const QModelIndex& Index, int Role) const {
  if (!checkIndex(Index, CheckIndexOption::IndexIsValid)) return {};
  const GridRow& row = *ShownRow(Index.row());
  if (Role == Qt::DisplayRole) return row.Cells[static_cast<size_t>(Index.column())];
  if (Role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  // Greyed as a disabled control is, so a disabled mission stands out without other texts.
  if (Role == Qt::ForegroundRole &&
      row.Cells[static_cast<size_t>(GridColumn::Enabled)] == QLatin1String("False"))
    return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
  if (Role == Qt::ToolTipRole && Index.column() == GridColumn::FileName && row.Index >= 0 &&
      static_cast<size_t>(row.Index) < FileNameTips_.size() &&
      !FileNameTips_[static_cast<size_t>(row.Index)].isEmpty())
    return FileNameTips_[static_cast<size_t>(row.Index)];
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
