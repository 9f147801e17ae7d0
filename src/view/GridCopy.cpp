#include "view/GridCopy.h"

#include "view/CatalogueModel.h"

namespace brieflist {
namespace {

void AppendField(QString& Text, const QString& Field) {
  for (const QChar c : Field) Text += (c == u'\t' || c == u'\n' || c == u'\r') ? QChar(u' ') : c;
}

}  // namespace

QString RowsAsText(const CatalogueModel& Model, const std::vector<int>& Rows) {
  const int columns = Model.columnCount();
  QString text;
  for (int c = 0; c < columns; ++c) {
    if (c > 0) text += u'\t';
    AppendField(text, Model.Titles()[c]);
  }
  text += u'\n';
  for (const int row : Rows) {
    for (int c = 0; c < columns; ++c) {
      if (c > 0) text += u'\t';
      AppendField(text, Model.Cell(row, c));
    }
    text += u'\n';
  }
  return text;
}

}  // namespace brieflist
