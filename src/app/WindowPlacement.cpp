#include "app/WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "folder/Form2.h"
#include "platform/qt/SettingsStore.h"

namespace brieflist {
namespace {

const QString kSection = QStringLiteral("Window");
const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kMaximized = QStringLiteral("Maximized");

QString Application() {
  return QString::fromLatin1(kSettingsApplication);
}

// No window is larger than Qt allows a widget to be, nor placed further out than that: within
// these bounds a frame's right and bottom edges cannot overflow an int, whatever was stored.
constexpr int kFarthest = QWIDGETSIZE_MAX;

std::optional<int> ReadNumber(SettingsStore& Settings, const QString& Key, int Lowest) {
  bool ok = false;
  const int value = Settings.Read(Application(), kSection, Key, QString()).toInt(&ok);
  if (!ok || value < Lowest || value > kFarthest) return std::nullopt;
  return value;
}

}  // namespace

std::optional<WindowPlacement> ReadPlacement(SettingsStore& Settings) {
  const auto left = ReadNumber(Settings, kLeft, -kFarthest);
  const auto top = ReadNumber(Settings, kTop, -kFarthest);
  const auto width = ReadNumber(Settings, kWidth, 1);
  const auto height = ReadNumber(Settings, kHeight, 1);
  if (!left || !top || !width || !height) return std::nullopt;
  WindowPlacement placement;
  placement.Frame = QPoint(*left, *top);
  placement.Size = QSize(*width, *height);
  placement.Maximized =
      Settings.Read(Application(), kSection, kMaximized, QString()) == QLatin1String("True");
  return placement;
}

QString WritePlacement(SettingsStore& Settings, const WindowPlacement& Placement) {
  const std::pair<QString, QString> entries[] = {
      {kLeft, QString::number(Placement.Frame.x())},
      {kTop, QString::number(Placement.Frame.y())},
      {kWidth, QString::number(Placement.Size.width())},
      {kHeight, QString::number(Placement.Size.height())},
      {kMaximized, QLatin1String(Placement.Maximized ? "True" : "False")}};
  for (const auto& [key, value] : entries) {
    const QString problem = Settings.Write(Application(), kSection, key, value);
    if (!problem.isEmpty()) return problem;
  }
  return QString();
}

std::optional<QRect> FitOnScreens(const QRect& Normal, const QList<QScreen*>& Screens) {
  for (const QScreen* screen : Screens) {
    if (!screen->geometry().contains(Normal.center())) continue;
    const QRect free = screen->availableGeometry();
    QRect fitted(Normal.topLeft(), Normal.size().boundedTo(free.size()));
    fitted.moveLeft(std::clamp(fitted.left(), free.left(), free.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), free.top(), free.bottom() + 1 - fitted.height()));
    return fitted;
  }
  return std::nullopt;
}

}  // namespace brieflist
