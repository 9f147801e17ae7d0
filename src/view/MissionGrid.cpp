#include "view/MissionGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>

#include "platform/qt/Twips.h"

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
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
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

}  // namespace brieflist
