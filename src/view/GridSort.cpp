#include "view/GridSort.h"

#include <algorithm>
#include <numeric>

namespace brieflist {

bool ReadsAsNumber(QStringView Text, double& Value) {
  const QStringView t = Text.trimmed();
  qsizetype i = 0;
  const auto digits = [&] {
    const qsizetype from = i;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i;
    return i - from;
  };
  if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
  qsizetype mantissa = digits();
  if (i < t.size() && t[i] == u'.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
    ++i;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    if (digits() == 0) return false;
  }
  if (i != t.size()) return false;
  bool ok = false;
  Value = t.toDouble(&ok);
  return ok;
}

SortKey MakeSortKey(const QString& Cell) {
  SortKey key;
  key.IsNumber = ReadsAsNumber(Cell, key.Number);
  if (!key.IsNumber) key.Folded = Cell.toCaseFolded();
  return key;
}

int CompareSortKeys(const SortKey& A, const SortKey& B) {
  if (A.IsNumber && B.IsNumber) return A.Number < B.Number ? -1 : (B.Number < A.Number ? 1 : 0);
  if (A.IsNumber != B.IsNumber) return A.IsNumber ? -1 : 1;
  return A.Folded.compare(B.Folded);
}

std::vector<size_t> SortOrder(const std::vector<GridRow>& Rows, int Column, bool Ascending) {
  std::vector<SortKey> keys;
  keys.reserve(Rows.size());
  for (const GridRow& row : Rows) keys.push_back(MakeSortKey(row.Cells[Column]));
  std::vector<size_t> order(Rows.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t A, size_t B) {
    const int c = CompareSortKeys(keys[A], keys[B]);
    return Ascending ? c < 0 : c > 0;
  });
  return order;
}

}  // namespace brieflist
