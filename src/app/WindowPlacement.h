#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QScreen;

namespace brieflist {

class SettingsStore;

// The main window's size and place between runs, in a section of its own of the settings store
// that holds the remembered folder.
// When neither maximised nor minimised, the window's frame starts at Frame and its client area
// is Size (screen pixels): what QWidget::move and resize take.
struct WindowPlacement {
  QPoint Frame;
  QSize Size;
  bool Maximized = false;
  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// The stored placement; none when nothing usable is stored (a place or size beyond what a
// widget can have counts as nothing).
std::optional<WindowPlacement> ReadPlacement(SettingsStore& Settings);
// Stores Placement; empty when stored, otherwise why not.
QString WritePlacement(SettingsStore& Settings, const WindowPlacement& Placement);

// Where a window at Normal (frame position and client size) goes on the screens there are now:
// onto the screen its centre is on, made to fit within that screen's free area. None when that
// screen is gone.
std::optional<QRect> FitOnScreens(const QRect& Normal, const QList<QScreen*>& Screens);

}  // namespace brieflist
