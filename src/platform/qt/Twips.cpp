#include "platform/qt/Twips.h"

#include <QWidget>
#include <cmath>

namespace brieflist {
namespace {

int Scale(int Value, int From, int To) {
  return static_cast<int>(std::lround(static_cast<double>(Value) * To / From));
}

}  // namespace

int TwipsToPixelsX(int Twips, const QWidget& Widget) {
  return Scale(Twips, kTwipsPerInch, Widget.logicalDpiX());
}

int TwipsToPixelsY(int Twips, const QWidget& Widget) {
  return Scale(Twips, kTwipsPerInch, Widget.logicalDpiY());
}

int PixelsToTwipsX(int Pixels, const QWidget& Widget) {
  return Scale(Pixels, Widget.logicalDpiX(), kTwipsPerInch);
}

int PixelsToTwipsY(int Pixels, const QWidget& Widget) {
  return Scale(Pixels, Widget.logicalDpiY(), kTwipsPerInch);
}

QRect TwipsRect(int Left, int Top, int Width, int Height, const QWidget& Widget) {
  return QRect(TwipsToPixelsX(Left, Widget), TwipsToPixelsY(Top, Widget),
               TwipsToPixelsX(Width, Widget), TwipsToPixelsY(Height, Widget));
}

}  // namespace brieflist
