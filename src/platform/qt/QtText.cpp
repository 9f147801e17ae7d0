#include "platform/qt/QtText.h"

#include <QFile>

#include "platform/Windows1252.h"

namespace brieflist {

QString FromWindows1252(std::string_view Text) {
  // Every Windows-1252 character lies in the Basic Multilingual Plane: one UTF-16 unit per byte.
  QString out(static_cast<qsizetype>(Text.size()), Qt::Uninitialized);
  QChar* to = out.data();
  for (const char c : Text) {
    const auto byte = static_cast<unsigned char>(c);
    *to++ = QChar(byte < 0x80 ? char16_t(byte) : char16_t(Windows1252ToCodePoint(byte)));
  }
  return out;
}

QString FromNativeName(std::string_view Name) {
  return QString::fromStdString(NativeNameToUtf8(Name));
}

QString FromEngineMessage(std::string_view Text) {
  // Messages may name files, which carry the system's bytes.
  QString out = FromNativeName(Text);
  out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return out;
}

std::string ToEnginePath(const QString& Path) {
#ifdef _WIN32
  return Utf8ToWindows1252(Path.toStdString()).value_or(std::string());
#else
  return QFile::encodeName(Path).toStdString();
#endif
}

QString FromEnginePath(const std::string& Path) {
#ifdef _WIN32
  return FromWindows1252(Path);
#else
  return QFile::decodeName(QByteArray::fromStdString(Path));
#endif
}

}  // namespace brieflist
