#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace orvane {

// Windows-1252, the single-byte code page of streams and text files.
// Every byte maps to one character (the five bytes the code page leaves
// undefined map to the C1 control of the same value), so bytes survive a
// round trip through QString unchanged.

// Characters outside the code page become '?' (one per code point).
QByteArray ToCodePage(QStringView text);
// The same bytes appended to `out`: the stream writer's path, with no
// array of its own per string.
void AppendCodePage(QByteArray& out, QStringView text);
// The same bytes into room for text.size() bytes; returns how many were written.
qsizetype CodePageBytes(QStringView text, char* out);
// Every unit below 0x80: code page, Latin-1 and UTF-8 bytes are the units.
bool IsAscii(QStringView text);
QString FromCodePage(QByteArrayView bytes);
bool IsCodePageRepresentable(QStringView text);

} // namespace orvane
