#include "view/MissionGrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>

#include "platform/qt/Twips.h"
#include "view/GridCopy.h"

namespace brieflist {
namespace {

constexpr int kRowHeightTwips = 240;

}  // namespace

QFont MissionGrid::RequestedFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(8.25);
  font.setWeight(QFont::Normal);
  // The font it stands for is a bitmap font without kerning; without it, widths add up per
  // character, which is what lets a full grid be measured quickly (see ColumnWidths.h).
  font.setKerning(false);
  return font;
}

MissionGrid::MissionGrid(QWidget* Parent) : QTableView(Parent), Model_(new CatalogueModel(this)) {
  setObjectName(QStringLiteral("FG"));
  setFont(RequestedFont());
  horizontalHeader()->setFont(font());
  Measure_ = std::make_unique<EntryMeasure>(font());
  setModel(Model_);

  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Several rows can be selected, for copying them; a click still makes one cell current.
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  // Tab leaves the grid for the next control instead of walking its cells.
  setTabKeyNavigation(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setCornerButtonEnabled(false);
  viewport()->setCursor(Qt::ArrowCursor);

  QHeaderView* titles = horizontalHeader();
  titles->setSectionsClickable(true);
  titles->setSectionsMovable(false);
  titles->setHighlightSections(false);
  titles->setStretchLastSection(false);
  titles->setMinimumSectionSize(1);
  titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  titles->setSectionResizeMode(QHeaderView::Interactive);
  // A title press selects its column, and QTableView would then scroll a partly hidden column
  // into sight: the title moves from under the pointer and the release is no click, so no sort.
  // The column is selected where it stands.
  disconnect(titles, SIGNAL(sectionPressed(int)), this, SLOT(selectColumn(int)));
  connect(titles, &QHeaderView::sectionPressed, this, [this](int Column) {
    QScrollBar* across = horizontalScrollBar();
    const int at = across->value();
    selectColumn(Column);
    across->setValue(at);
  });

  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setMinimumSectionSize(1);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(TwipsToPixelsY(kRowHeightTwips, *this));
}

int MissionGrid::CellMargin() const {
  // The item delegate keeps this much room between a cell's edge and its text, on each side.
  const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  return 2 * textMargin;
}

void MissionGrid::SetColumnWidths(const std::vector<int>& WidestEntries) {
  const int margin = CellMargin();
  for (size_t c = 0; c < WidestEntries.size(); ++c)
    setColumnWidth(static_cast<int>(c), WidestEntries[c] + margin);
}

void MissionGrid::mouseReleaseEvent(QMouseEvent* Event) {
  QTableView::mouseReleaseEvent(Event);
  emit MouseUp(Event->button(), Event->globalPosition().toPoint());
}

std::vector<int> MissionGrid::SelectedRows() const {
  const int count = Model_->rowCount();
  std::vector<char> selected(static_cast<size_t>(count), 0);
  bool any = false;
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    for (int r = range.top(); r <= range.bottom() && r < count; ++r) {
      selected[static_cast<size_t>(r)] = 1;
      any = true;
    }
  }
  const QModelIndex current = currentIndex();
  if (!any && current.isValid()) selected[static_cast<size_t>(current.row())] = 1;
  std::vector<int> rows;
  for (int r = 0; r < count; ++r)
    if (selected[static_cast<size_t>(r)] && Model_->CatalogueIndex(r) >= 0) rows.push_back(r);
  return rows;
}

void MissionGrid::CopySelectedRows() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  QGuiApplication::clipboard()->setText(RowsAsText(*Model_, rows));
}

void MissionGrid::keyPressEvent(QKeyEvent* Event) {
  if (Event->matches(QKeySequence::Copy)) {
    CopySelectedRows();
    Event->accept();
    return;
  }
  const QModelIndex current = currentIndex();
  const bool plain = (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && current.isValid()) {
    switch (Event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Menu: {
        scrollTo(current);
        emit MenuKeyPressed(viewport()->mapToGlobal(visualRect(current).bottomLeft()));
        Event->accept();
        return;
      }
      case Qt::Key_Space:
        if (current.column() != GridColumn::Enabled) break;
        emit EnabledSpacePressed();
        Event->accept();
        return;
      default:
        break;
    }
  }
  QTableView::keyPressEvent(Event);
}

}  // namespace brieflist
