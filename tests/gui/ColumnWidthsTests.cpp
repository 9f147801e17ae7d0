#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <cmath>
#include <random>

#include "view/ColumnWidths.h"
#include "view/MissionGrid.h"

namespace brieflist {
namespace {

// The rule measured the slow way: every entry, exactly.
int BruteForce(const QFont& Font, const std::vector<QString>& Texts, bool TrailingSpace) {
  const QFontMetricsF metrics(Font);
  int widest = 0;
  for (const QString& text : Texts) {
    const double advance = metrics.horizontalAdvance(TrailingSpace ? text + u' ' : text);
    widest = std::max(widest, static_cast<int>(std::ceil(advance - 1e-6)));
  }
  return widest;
}

int Fast(const QFont& Font, const std::vector<QString>& Texts, bool TrailingSpace) {
  EntryMeasure measure(Font);
  std::vector<const QString*> entries;
  for (const QString& text : Texts) entries.push_back(&text);
  return measure.WidestEntry(entries, TrailingSpace);
}

QFont KerningOn() {
  QFont font = MissionGrid::RequestedFont();
  font.setKerning(true);
  return font;
}

TEST(WidestEntry, MatchesMeasuringEveryEntry) {
  // Groups that each stress one way a price can be wrong: ligatures, characters that vanish in a
  // text, controls, fallback glyphs, texts that all price alike.
  const std::vector<std::vector<QString>> groups = {
      {"office", "offi", "AVAV", "WAWA"},
      {"fluff", "ff", "fi fl", "iiiiiiii"},
      {QString::fromUtf8("so\u00ADft\u00ADhy\u00ADphen\u00AD\u00AD\u00AD"), "softhyphen"},
      {QString::fromUtf8("tab\there"), QString::fromUtf8("\x01\x02\x03"), "tabhere"},
      {QString::fromUtf8("\u20AC\u0152\u2122\u2030\u00C6"), QString::fromUtf8("\u0081\u008D")},
      {QString::fromUtf8("\u4E2D\u6587\u5B57"), "abc"},
      {"C010000", "C010001", "C099999", "C011111"},
      {"A00M0000.BMS", "A63M0499.BMS", "loose199.bms"},
      {"", "", ""},
      {"True", "False", "False", "True"},
  };
  for (const QFont& font : {MissionGrid::RequestedFont(), KerningOn()}) {
    for (const auto& texts : groups) {
      for (const bool space : {true, false}) {
        EXPECT_EQ(Fast(font, texts, space), BruteForce(font, texts, space))
            << texts.front().toStdString() << " kerning " << font.kerning() << " space " << space;
      }
    }
  }
}

TEST(WidestEntry, MatchesMeasuringEveryEntryOnRandomTexts) {
  std::mt19937 rng(7);
  std::vector<QString> texts;
  for (int i = 0; i < 3000; ++i) {
    QString text;
    const int length = static_cast<int>(rng() % 17);
    for (int k = 0; k < length; ++k)
      text += QChar(char16_t(rng() % 4 ? 0x20 + rng() % 0x5F : 0xA0 + rng() % 0x60));
    texts.push_back(text);
  }
  for (const QFont& font : {MissionGrid::RequestedFont(), KerningOn()})
    EXPECT_EQ(Fast(font, texts, true), BruteForce(font, texts, true)) << font.kerning();
}

TEST(WidestEntries, TitlesCountAndTheLastColumnTakesNoSpace) {
  const QFont font = MissionGrid::RequestedFont();
  EntryMeasure measure(font);
  GridRow row;
  row.Cells[0] = "x";
  row.Cells[1] = "a much longer cell";
  row.Cells[2] = "Desert";
  const QStringList titles{"FileName", "Mission", "Terrain"};
  const std::vector<int> widths = WidestEntries(measure, titles, {row});
  ASSERT_EQ(widths.size(), 3u);
  EXPECT_EQ(widths[0], measure.ExactWidth("FileName", true));
  EXPECT_EQ(widths[1], measure.ExactWidth("a much longer cell", true));
  EXPECT_EQ(widths[2], measure.ExactWidth("Terrain", false));
}

}  // namespace
}  // namespace brieflist
