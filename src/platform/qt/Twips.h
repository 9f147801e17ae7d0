#pragma once

#include <QRect>

class QWidget;

namespace brieflist {

// The window's measures are twips, 1/1440 inch, converted at the screen's logical DPI (15 twips
// make one pixel at 96 DPI).
inline constexpr int kTwipsPerInch = 1440;

int TwipsToPixelsX(int Twips, const QWidget& Widget);
int TwipsToPixelsY(int Twips, const QWidget& Widget);
int PixelsToTwipsX(int Pixels, const QWidget& Widget);
int PixelsToTwipsY(int Pixels, const QWidget& Widget);

// Left, top, width and height in twips as a pixel rectangle.
QRect TwipsRect(int Left, int Top, int Width, int Height, const QWidget& Widget);

}  // namespace brieflist
