// Crossing between the protocol's UTF-8 byte strings and Qt's text. Invalid
// UTF-8 becomes replacement characters on the way in; a lone UTF-16
// surrogate (half of a pair without its other half) becomes U+FFFD on the
// way out, so that what reaches files and the log is always well-formed
// UTF-8, whatever a page or a library hands over. Embedded NUL bytes are
// kept both ways.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace bridge {

inline QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QByteArray utf8Bytes(const QString& text);

inline std::string toUtf8(const QString& text) { return utf8Bytes(text).toStdString(); }

}  // namespace bridge
