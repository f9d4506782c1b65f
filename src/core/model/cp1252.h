#pragma once

#include <QByteArray>
#include <QString>

namespace vexil::cp1252 {

// Collection files are Windows-1252 text. Decoding maps every byte to one character, the five
// bytes that Windows-1252 leaves undefined to the control characters of the same value, so that
// encode(decode(b)) == b for every byte string.
QString decode(QByteArrayView bytes);

// Returns false (and leaves out nothing: `out` then holds no result) when a character has no byte.
bool encode(QStringView text, QByteArray& out);

// True when every character of `text` has a Windows-1252 byte.
bool canEncode(QStringView text);

// The first character of `text` that has no byte, or a null QChar.
QChar firstUnencodable(QStringView text);

} // namespace vexil::cp1252
