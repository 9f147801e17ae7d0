#pragma once

#include <QList>
#include <QRect>
#include <optional>

class QScreen;

namespace brieflist {

class SettingsStore;

// The main window's size and place between runs, in a section of its own of the settings store
// that holds the remembered folder.
struct WindowPlacement {
  QRect Normal;  // the client area when neither maximised nor minimised, in screen pixels
  bool Maximized = false;
  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// The stored placement; none when nothing usable is stored.
std::optional<WindowPlacement> ReadPlacement(SettingsStore& Settings);
// Stores Placement; empty when stored, otherwise why not.
QString WritePlacement(SettingsStore& Settings, const WindowPlacement& Placement);

// Where Normal goes on the screens there are now: onto the screen its centre is on, made to fit
// within that screen's free area. None when that screen is gone.
std::optional<QRect> FitOnScreens(const QRect& Normal, const QList<QScreen*>& Screens);

}  // namespace brieflist
