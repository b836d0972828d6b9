// Crossing between the protocol's UTF-8 byte strings and Qt's text. Invalid
// UTF-8 becomes replacement characters on the way in; embedded NUL bytes
// are kept both ways.
#pragma once

#include <QString>

#include <string>

namespace bridge {

inline QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

inline std::string toUtf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace bridge
